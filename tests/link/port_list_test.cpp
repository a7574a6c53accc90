// The port list on Linux over fake /sys and /dev trees laid out as the
// kernel and udev lay them out.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "link/port_list.h"

namespace quelt {
namespace {

namespace fs = std::filesystem;

class FakeRoot {
 public:
  FakeRoot() {
    root_ = fs::temp_directory_path() /
            ("quelt-ports-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::remove_all(root_);
    fs::create_directories(Sys() / "class/tty");
    fs::create_directories(Sys() / "bus/usb/devices");
    fs::create_directories(Dev());
  }
  ~FakeRoot() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  FakeRoot(const FakeRoot&) = delete;
  FakeRoot& operator=(const FakeRoot&) = delete;

  fs::path Sys() const { return root_ / "sys"; }
  fs::path Dev() const { return root_ / "dev"; }

  // A tty the kernel lists in class/tty.
  void Tty(const std::string& name) const { fs::create_directories(Sys() / "class/tty" / name); }
  // A USB device vendor:product whose interface 0 carries `tty`.
  void Usb(const std::string& device, const std::string& vendor, const std::string& product,
           const std::string& tty) const {
    const fs::path dir = Sys() / "devices" / device;
    fs::create_directories(dir / (device + ":1.0") / tty / "tty" / tty);
    std::ofstream(dir / "idVendor") << vendor << "\n";
    std::ofstream(dir / "idProduct") << product << "\n";
    std::ofstream(dir / (device + ":1.0") / "bInterfaceNumber") << "00\n";
    fs::create_directory_symlink(dir, Sys() / "bus/usb/devices" / device);
    fs::create_directory_symlink(dir / (device + ":1.0"),
                                 Sys() / "bus/usb/devices" / (device + ":1.0"));
    Tty(tty);
  }
  // A by-id link as udev makes it: relative, to ../../<tty>.
  void ById(const std::string& name, const std::string& target) const {
    fs::create_directories(Dev() / "serial/by-id");
    fs::create_symlink(target, Dev() / "serial/by-id" / name);
  }

 private:
  fs::path root_;
  static inline int counter_ = 0;
};

TEST(PortListTest, PortsOfAFakeTree) {
  struct Expected {
    std::string device;  // below the fake /dev
    std::string name;
    bool bridge;
  };
  struct Case {
    const char* what;
    std::function<void(const FakeRoot&)> tree;
    std::vector<Expected> ports;
  };
  const Case cases[] = {
      {"nothing attached", [](const FakeRoot&) {}, {}},
      {"natural order; other ttys left out",
       [](const FakeRoot& r) {
         for (const char* tty : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "tty1", "ttyUSB"})
           r.Tty(tty);
       },
       {{"ttyACM0", "ttyACM0", false},
        {"ttyUSB2", "ttyUSB2", false},
        {"ttyUSB10", "ttyUSB10", false}}},
      {"the bridge first, whatever its number",
       [](const FakeRoot& r) {
         r.Tty("ttyUSB0");
         r.Usb("1-2", "10c4", "830f", "ttyUSB7");
         r.Usb("1-3", "0403", "6001", "ttyUSB1");
       },
       {{"ttyUSB7", "ttyUSB7", true},
        {"ttyUSB0", "ttyUSB0", false},
        {"ttyUSB1", "ttyUSB1", false}}},
      {"a by-id link is the device and names it",
       [](const FakeRoot& r) {
         r.Usb("1-2", "10c4", "830f", "ttyUSB0");
         r.ById("usb-QUELT_Bridge_0001-if00-port0", "../../ttyUSB0");
         r.Tty("ttyACM1");
       },
       {{"serial/by-id/usb-QUELT_Bridge_0001-if00-port0",
         "ttyUSB0 (usb-QUELT_Bridge_0001-if00-port0)", true},
        {"ttyACM1", "ttyACM1", false}}},
      {"a link to a tty sysfs does not list; a plain file is no link",
       [](const FakeRoot& r) {
         r.ById("usb-Other_Adapter-if00", "../../ttyXR3");
         fs::create_directories(r.Dev() / "serial/by-id");
         std::ofstream(r.Dev() / "serial/by-id/stray-file") << "x";
       },
       {{"serial/by-id/usb-Other_Adapter-if00", "ttyXR3 (usb-Other_Adapter-if00)", false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const FakeRoot root;
    c.tree(root);
    const std::vector<PortEntry> ports = ListSerialPorts(root.Sys(), root.Dev());
    ASSERT_EQ(ports.size(), c.ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
      EXPECT_EQ(ports[i].device, (root.Dev() / c.ports[i].device).string()) << i;
      EXPECT_EQ(ports[i].name, c.ports[i].name) << i;
      EXPECT_EQ(ports[i].bridge, c.ports[i].bridge) << i;
    }
  }
}

}  // namespace
}  // namespace quelt
