#pragma once

#include <exception>
#include <string>

namespace qv::framework {

// Root of every exception the program raises itself. The message is 8-bit text
// in the program's code page; ClassName() gives the class name shown in reports.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    std::string message_;
};

} // namespace qv::framework

// Declares an exception class that only adds its name to its base. The alias lets the base be
// named with its namespace.
#define QV_EXCEPTION_CLASS(Name, Base)                                                                       \
    class Name : public Base {                                                                               \
        using BaseClass = Base;                                                                              \
                                                                                                             \
    public:                                                                                                  \
        using BaseClass::BaseClass;                                                                          \
        const char* ClassName() const noexcept override { return #Name; }                                    \
    }
