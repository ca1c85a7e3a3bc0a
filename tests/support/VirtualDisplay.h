#pragma once

#include <string>
#include <sys/types.h>

namespace qv::test {

// Xvfb on a free display for the test, without a window manager, ended with it.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", or empty when Xvfb did not start.
    const std::string& Name() const { return name_; }

private:
    pid_t process_ = -1;
    std::string name_;
};

} // namespace qv::test
