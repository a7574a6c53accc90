// Discovery on Linux: SysfsRegistry over fake sysfs trees laid out like a
// real kernel's, and the COM number mapping back to the device it came from.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "link/comm.h"
#include "link/discovery.h"
#include "link/registry_sysfs.h"
#include "link/usb_tty.h"

namespace quelt {
namespace {

namespace fs = std::filesystem;

const std::string kFirstKey =
    "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10C4&Pid_830F&Mi_00\\0001_00\\Device Parameters\\";
const std::string kSecondKey =
    "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10C4&Pid_830F\\0001\\Device Parameters\\";

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

RegistryValue Read(FakeSysfs& sysfs, const std::string& key) {
  SysfsRegistry registry(sysfs.Root());
  return registry.ReadString(key, "PortName");
}

TEST(UsbTtyTest, ComNumbersAndTtysMapBothWays) {
  struct Case {
    const char* tty;
    std::int32_t port;
  };
  const Case cases[] = {{"ttyUSB0", 1}, {"ttyUSB6", 7}, {"ttyUSB98", 99}, {"ttyUSB99", 100}};
  for (const Case& c : cases) {
    EXPECT_EQ(ComPortForUsbTty(c.tty), c.port) << c.tty;
    EXPECT_EQ(comm::DevicePathForPort(c.port), std::string("/dev/") + c.tty);
  }
  for (const char* other : {"ttyUSB", "ttyACM0", "ttyS0", "ttyUSB1a", "usbttyUSB1", ""}) {
    EXPECT_EQ(ComPortForUsbTty(other), 0) << other;
  }
  EXPECT_EQ(comm::DevicePathForPort(0), "");
}

TEST(SysfsRegistryTest, FindsTheBridgeTtyInEitherLayout) {
  for (Layout layout : {Layout::PortFolder, Layout::TtyFolder}) {
    FakeSysfs sysfs;
    sysfs.Device("usb1", "1d6b", "0002");  // the root hub
    sysfs.Device("1-1", "046d", "c52b");   // some other device
    sysfs.Interface("1-1", "00", "");
    sysfs.Device("1-2", "10c4", "830f");
    sysfs.Interface("1-2", "00", "ttyUSB3", layout);
    for (const std::string& key : {kFirstKey, kSecondKey}) {
      const RegistryValue v = Read(sysfs, key);
      EXPECT_EQ(v.status, RegistryValue::Status::Text);
      EXPECT_EQ(v.text, "COM4");
    }
    SysfsRegistry registry(sysfs.Root());
    const std::int32_t port =
        FindUsbComPort(registry, kBridgeVendorId, kBridgeProductId, kBridgeInstance);
    EXPECT_EQ(port, 4);
    // The number found opens the very tty it came from.
    EXPECT_EQ(comm::DevicePathForPort(port), "/dev/ttyUSB3");
  }
}

TEST(SysfsRegistryTest, InterfaceNumberSelectsThePort) {
  FakeSysfs sysfs;
  sysfs.Device("1-3", "10C4", "830F");  // upper case compares equal
  sysfs.Interface("1-3", "01", "ttyUSB1");
  sysfs.Interface("1-3", "00", "ttyUSB5");
  EXPECT_EQ(Read(sysfs, kFirstKey).text, "COM6");
  // Without an interface any will do: the first in order (1-3:1.0).
  EXPECT_EQ(Read(sysfs, kSecondKey).text, "COM6");

  FakeSysfs onlySecond;
  onlySecond.Device("2-1", "10c4", "830f");
  onlySecond.Interface("2-1", "01", "ttyUSB2");
  EXPECT_EQ(Read(onlySecond, kFirstKey).status, RegistryValue::Status::NoKey);
  EXPECT_EQ(Read(onlySecond, kSecondKey).text, "COM3");
  SysfsRegistry registry(onlySecond.Root());
  EXPECT_EQ(FindUsbComPort(registry, "10C4", "830F", "0001"), 3);
}

TEST(SysfsRegistryTest, FirstMatchingDeviceInNameOrder) {
  FakeSysfs sysfs;
  sysfs.Device("1-2", "10c4", "830f");
  sysfs.Interface("1-2", "00", "ttyUSB0");
  sysfs.Device("1-1", "10c4", "830f");
  sysfs.Interface("1-1", "00", "ttyUSB9");
  EXPECT_EQ(Read(sysfs, kFirstKey).text, "COM10");
}

TEST(SysfsRegistryTest, MissingThingsReadAsNoKey) {
  FakeSysfs sysfs;
  EXPECT_EQ(Read(sysfs, kFirstKey).status, RegistryValue::Status::NoKey);
  sysfs.Device("1-1", "10c4", "ea60");  // same vendor, other product
  sysfs.Interface("1-1", "00", "ttyUSB0");
  sysfs.Device("1-2", "10c4", "830f");  // driver not bound: no tty
  sysfs.Interface("1-2", "00", "");
  EXPECT_EQ(Read(sysfs, kFirstKey).status, RegistryValue::Status::NoKey);
  EXPECT_EQ(Read(sysfs, kSecondKey).status, RegistryValue::Status::NoKey);
  SysfsRegistry registry(sysfs.Root());
  EXPECT_EQ(FindUsbComPort(registry, "10C4", "830F", "0001"), 0);

  SysfsRegistry nowhere(sysfs.Root() / "absent");
  EXPECT_EQ(nowhere.ReadString(kFirstKey, "PortName").status, RegistryValue::Status::NoKey);
}

TEST(SysfsRegistryTest, OnlyTheBridgeKeysAndPortNameAreKnown) {
  FakeSysfs sysfs;
  sysfs.Device("1-1", "10c4", "830f");
  sysfs.Interface("1-1", "00", "ttyUSB0");
  SysfsRegistry registry(sysfs.Root());
  const std::string others[] = {
      "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10C4&Pid_830F\\Device Parameters\\",
      "\\SOFTWARE\\CurrentControlSet\\Enum\\USB\\Vid_10C4&Pid_830F\\0001\\Device Parameters\\",
      "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10C4&Pid_830F&Mi_zz\\0001_00\\Device "
      "Parameters\\",
      "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10C4\\0001\\Device Parameters\\",
      "",
  };
  for (const std::string& key : others) {
    EXPECT_EQ(registry.ReadString(key, "PortName").status, RegistryValue::Status::NoKey) << key;
  }
  const RegistryValue other = registry.ReadString(kSecondKey, "FriendlyName");
  EXPECT_EQ(other.status, RegistryValue::Status::Text);
  EXPECT_EQ(other.text, "");
}

}  // namespace
}  // namespace quelt
