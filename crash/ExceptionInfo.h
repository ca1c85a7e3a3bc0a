#pragma once

#include <exception>
#include <string>

namespace qv::crash {

// What the report says of an exception object.
struct TExceptionInfo {
    // False when there is no object.
    bool present = false;
    // The class name; "Unknown" without an object.
    std::string className = "Unknown";
    // The message of an exception class (the program's own or the standard library's); the class
    // name for any other thrown value; empty without an object.
    std::string message;
    // The silent EAbort or a class descending from it.
    bool isAbort = false;

    static TExceptionInfo Describe(const std::exception_ptr& exception);
};

} // namespace qv::crash
