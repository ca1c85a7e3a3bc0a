#include "platform/DeviceList.h"

#include "platform/SystemInfo.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <map>

namespace qv::platform {

namespace fs = std::filesystem;

namespace {

// The PCI base classes, by their number.
constexpr std::array<const char*, 20> kPciClasses = {"Unclassified device",
                                                     "Mass storage controller",
                                                     "Network controller",
                                                     "Display controller",
                                                     "Multimedia controller",
                                                     "Memory controller",
                                                     "Bridge",
                                                     "Communication controller",
                                                     "Generic system peripheral",
                                                     "Input device controller",
                                                     "Docking station",
                                                     "Processor",
                                                     "Serial bus controller",
                                                     "Wireless controller",
                                                     "Intelligent controller",
                                                     "Satellite communications controller",
                                                     "Encryption controller",
                                                     "Signal processing controller",
                                                     "Processing accelerators",
                                                     "Non-Essential Instrumentation"};

std::string FirstLine(const fs::path& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// A "0x"-prefixed id file's digits.
std::string HexId(const fs::path& path) {
    const std::string line = FirstLine(path);
    return line.compare(0, 2, "0x") == 0 ? line.substr(2) : line;
}

std::vector<fs::path> Entries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        entries.push_back(entry.path());
    return entries;
}

// The bound driver's name and the version of its module, or the kernel's release for a driver
// built into the kernel or shipped with it.
std::string DriverOf(const fs::path& device) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    if (error) return {};
    const std::string name = driver.filename().string();
    const fs::path module = fs::read_symlink(device / "driver" / "module", error);
    std::string version =
        error ? std::string() : FirstLine(fs::path("/sys/module") / module.filename() / "version");
    if (version.empty()) version = TSystemInfo::KernelRelease();
    return version.empty() ? name : name + " " + version;
}

// The names of the PCI ids database: "vvvv" and "vvvv:dddd" to names.
std::map<std::string, std::string> PciNames() {
    std::map<std::string, std::string> names;
    for (const char* path : {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"}) {
        std::ifstream file(path);
        std::string line;
        std::string vendor;
        while (std::getline(file, line)) {
            if (line.empty() || line[0] == '#') continue;
            if (line[0] == 'C') break;
            if (line[0] != '\t' && line.size() > 6) {
                vendor = line.substr(0, 4);
                names[vendor] = line.substr(6);
            } else if (line.size() > 7 && line[1] != '\t') {
                names[vendor + ":" + line.substr(1, 4)] = line.substr(7);
            }
        }
        if (!names.empty()) break;
    }
    return names;
}

void AddPciDevices(std::vector<TDeviceList::TDevice>& devices) {
    const std::map<std::string, std::string> names = PciNames();
    for (const fs::path& device : Entries("/sys/bus/pci/devices")) {
        const std::string classCode = HexId(device / "class");
        const std::string vendor = HexId(device / "vendor");
        const std::string product = HexId(device / "device");
        if (classCode.size() != 6 || vendor.empty()) continue;
        const unsigned base = std::stoul(classCode.substr(0, 2), nullptr, 16);
        const auto vendorName = names.find(vendor);
        const auto productName = names.find(vendor + ":" + product);
        std::string name = "PCI device " + vendor + ":" + product;
        if (vendorName != names.end() && productName != names.end())
            name = vendorName->second + " " + productName->second;
        devices.push_back(
            {base < kPciClasses.size() ? kPciClasses[base] : "Unassigned class", name, DriverOf(device)});
    }
}

void AddUsbDevices(std::vector<TDeviceList::TDevice>& devices) {
    for (const fs::path& device : Entries("/sys/bus/usb/devices")) {
        const std::string vendor = FirstLine(device / "idVendor");
        if (vendor.empty()) continue;
        std::string name = FirstLine(device / "manufacturer");
        const std::string product = FirstLine(device / "product");
        name = name.empty() ? product : product.empty() ? name : name + " " + product;
        if (name.empty()) name = "USB device " + vendor + ":" + FirstLine(device / "idProduct");
        devices.push_back({"Universal Serial Bus devices", name, DriverOf(device)});
    }
}

void AddDiskDrives(std::vector<TDeviceList::TDevice>& devices) {
    for (const fs::path& disk : Entries("/sys/block")) {
        // Loop, RAM and compressed-memory disks have no device behind them.
        if (!fs::exists(disk / "device")) continue;
        std::string name = FirstLine(disk / "device" / "model");
        // Some buses give the vendor as a number only, which names nothing.
        const std::string vendor = FirstLine(disk / "device" / "vendor");
        if (!vendor.empty() && vendor.compare(0, 2, "0x") != 0)
            name = name.empty() ? vendor : vendor + " " + name;
        if (name.empty()) name = disk.filename().string();
        devices.push_back({"Disk drives", name, DriverOf(disk / "device")});
    }
}

void AddInputDevices(std::vector<TDeviceList::TDevice>& devices) {
    for (const fs::path& input : Entries("/sys/class/input")) {
        const std::string name = FirstLine(input / "name");
        if (!name.empty()) devices.push_back({"Input devices", name, DriverOf(input / "device")});
    }
}

} // namespace

std::vector<TDeviceList::TDevice> TDeviceList::Read() {
    std::vector<TDevice> devices;
    AddPciDevices(devices);
    AddUsbDevices(devices);
    AddDiskDrives(devices);
    AddInputDevices(devices);
    return devices;
}

} // namespace qv::platform
