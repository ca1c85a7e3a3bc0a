#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::platform {

// Facts about the machine and the user that a bug report names. Each look-up stands alone and
// gives nothing (an empty text or no value) when the system does not tell.
class TSystemInfo {
public:
    struct TProcessor {
        std::string name;
        int count = 0;
    };
    struct TMemory {
        uint64_t freeBytes = 0;
        uint64_t totalBytes = 0;
    };
    struct TVolumeSpace {
        std::string mountPoint;
        uint64_t freeBytes = 0;
    };
    struct TDisplayMode {
        int width = 0;
        int height = 0;
        int bitsPerPixel = 0;
    };

    static std::string ComputerName();
    static std::string UserName();
    // The distribution's name from os-release (its pretty name, else its name).
    static std::string OperatingSystemName();
    // The kernel's release, which stands for the build number.
    static std::string KernelRelease();
    // The English name of the language of the user's locale.
    static std::string SystemLanguage();
    static std::optional<uint64_t> SystemUpSeconds();
    static std::optional<TProcessor> Processor();
    // Free means available to programs without swapping.
    static std::optional<TMemory> PhysicalMemory();
    // The root volume's free space, then that of the volume holding the path when it differs.
    static std::vector<TVolumeSpace> FreeDiskSpace(const std::string& path);
    // The mode of the first connected display that the kernel's display drivers know.
    static std::optional<TDisplayMode> DisplayMode();
};

} // namespace qv::platform
