#pragma once

#include <string>
#include <vector>

namespace qv::platform {

// The machine's devices as the kernel lists them under /sys: PCI devices by their class, USB
// devices, disk drives and input devices.
class TDeviceList {
public:
    struct TDevice {
        std::string className;
        std::string name;
        // The driver's name and version ("e1000e 3.2.6-k"); empty when no driver is bound.
        std::string driver;
    };

    static std::vector<TDevice> Read();
};

} // namespace qv::platform
