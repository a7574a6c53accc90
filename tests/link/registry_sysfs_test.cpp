// Discovery on Linux: FindUsbTty over fake sysfs trees laid out like a real
// kernel's; the device found is the tty's path, whatever its name.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "link/discovery.h"
#include "link/line.h"

namespace quelt {
namespace {

namespace fs = std::filesystem;

enum class Layout { PortFolder, TtyFolder };

// A sysfs tree: devices under devices/usb1/, linked from bus/usb/devices/
// together with their interfaces, as the kernel does.
class FakeSysfs {
 public:
  FakeSysfs() {
    root_ = fs::temp_directory_path() /
            ("quelt-sysfs-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::remove_all(root_);
    fs::create_directories(root_ / "bus/usb/devices");
    fs::create_directories(root_ / "devices/usb1");
  }
  ~FakeSysfs() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  const fs::path& Root() const { return root_; }

  void Device(const std::string& name, const std::string& vendor, const std::string& product) {
    const fs::path dir = root_ / "devices/usb1" / name;
    fs::create_directories(dir);
    Put(dir / "idVendor", vendor);
    Put(dir / "idProduct", product);
    fs::create_directory_symlink("../../../devices/usb1/" + name, root_ / "bus/usb/devices" / name);
  }

  // Interface `number` (hex text) of `device`, with `tty` below it ("" for none).
  void Interface(const std::string& device, const std::string& number, const std::string& tty,
                 Layout layout = Layout::PortFolder) {
    const std::string name = device + ":1." + std::to_string(std::stoi(number, nullptr, 16));
    const fs::path dir = root_ / "devices/usb1" / device / name;
    fs::create_directories(dir);
    Put(dir / "bInterfaceNumber", number);
    Put(dir / "bInterfaceClass", "ff");
    if (!tty.empty()) {
      fs::create_directories(layout == Layout::PortFolder ? dir / tty / "tty" / tty
                                                          : dir / "tty" / tty);
    }
    fs::create_directory_symlink("../../../devices/usb1/" + device + "/" + name,
                                 root_ / "bus/usb/devices" / name);
  }

 private:
  static void Put(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text << "\n";
  }

  fs::path root_;
  static inline int counter_ = 0;
};

std::string Find(const FakeSysfs& sysfs) {
  return FindUsbTty(sysfs.Root(), kBridgeVendorId, kBridgeProductId);
}

// COM numbers were once mapped to ttyUSB(n-1); a Linux port is named by its
// path now, so no number may open anything.
TEST(LinuxPortTest, ComNumbersNameNoDevice) {
  for (const std::int32_t n : {0, 1, 7, 99, 100}) {
    EXPECT_EQ(DeviceLine().DevicePathForPort(n), "") << n;
    EXPECT_FALSE(ComPort(n)) << n;
  }
  EXPECT_FALSE(PortAt(""));
  const FoundPort tty = PortAt("/dev/ttyACM0");
  EXPECT_EQ(tty.device, "/dev/ttyACM0");
  EXPECT_EQ(tty.name, "/dev/ttyACM0");
  EXPECT_EQ(tty.comNumber, 0);
}

TEST(SysfsDiscoveryTest, TheBridgeTtyByTheKeysRules) {
  using Tree = std::function<void(FakeSysfs&)>;
  const auto bridge = [](const std::string& tty, Layout layout = Layout::PortFolder) {
    return [=](FakeSysfs& s) {
      s.Device("usb1", "1d6b", "0002");  // the root hub
      s.Device("1-1", "046d", "c52b");   // some other device
      s.Interface("1-1", "00", "");
      s.Device("1-2", "10c4", "830f");
      s.Interface("1-2", "00", tty, layout);
    };
  };
  struct Case {
    const char* name;
    Tree tree;
    std::string device;
  };
  const Case cases[] = {
      {"ttyUSB3, usb-serial layout", bridge("ttyUSB3"), "/dev/ttyUSB3"},
      {"ttyUSB3, tty class folder", bridge("ttyUSB3", Layout::TtyFolder), "/dev/ttyUSB3"},
      {"ttyACM0", bridge("ttyACM0", Layout::TtyFolder), "/dev/ttyACM0"},
      {"tty of another name", bridge("ttyQUELT0"), "/dev/ttyQUELT0"},
      {"no tty: driver not bound", bridge(""), ""},
      {"upper-case IDs compare equal",
       [](FakeSysfs& s) {
         s.Device("1-3", "10C4", "830F");
         s.Interface("1-3", "00", "ttyUSB2");
       },
       "/dev/ttyUSB2"},
      {"interface 0 wins over the one listed first",
       [](FakeSysfs& s) {
         s.Device("1-3", "10c4", "830f");
         s.Interface("1-3", "01", "ttyUSB1");
         s.Interface("1-3", "00", "ttyUSB5");
       },
       "/dev/ttyUSB5"},
      {"the only interface of a plain device, whatever its number",
       [](FakeSysfs& s) {
         s.Device("2-1", "10c4", "830f");
         s.Interface("2-1", "01", "ttyUSB2");
       },
       "/dev/ttyUSB2"},
      {"wrong interface: a composite device's interface 1",
       [](FakeSysfs& s) {
         s.Device("2-1", "10c4", "830f");
         s.Interface("2-1", "00", "");
         s.Interface("2-1", "01", "ttyUSB1");
       },
       ""},
      {"first bridge in name order",
       [](FakeSysfs& s) {
         s.Device("1-2", "10c4", "830f");
         s.Interface("1-2", "00", "ttyUSB0");
         s.Device("1-1", "10c4", "830f");
         s.Interface("1-1", "00", "ttyUSB9");
       },
       "/dev/ttyUSB9"},
      {"wrong product",
       [](FakeSysfs& s) {
         s.Device("1-1", "10c4", "ea60");
         s.Interface("1-1", "00", "ttyUSB0");
       },
       ""},
      {"wrong vendor",
       [](FakeSysfs& s) {
         s.Device("1-1", "1a86", "830f");
         s.Interface("1-1", "00", "ttyUSB0");
       },
       ""},
      {"no USB device at all", [](FakeSysfs&) {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSysfs sysfs;
    c.tree(sysfs);
    EXPECT_EQ(Find(sysfs), c.device);
  }

  FakeSysfs sysfs;
  EXPECT_EQ(FindUsbTty(sysfs.Root() / "absent", kBridgeVendorId, kBridgeProductId), "");
}

}  // namespace
}  // namespace quelt
