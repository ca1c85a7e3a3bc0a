#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qv::framework {

// How an option of a program takes its value.
enum class TOptionValue {
    // A switch: "--head".
    None,
    // "--port 8080" or "--port=8080".
    Required,
    // Only attached, and then optional: "--follow" or "--follow=3".
    Attached,
    // Every following argument up to the next option: "--import a.zip b/"; "--import=c" adds one.
    List,
};

struct TOptionSpec {
    // With its dashes: "--proxy", "-o".
    std::string name;
    TOptionValue value = TOptionValue::None;
};

// A program's command line read against the options it knows, options and operands in any order.
// "--" ends the options; "--help" (or "-h") and "--version" are every program's own.
class TCommandLine {
public:
    // Nothing, with error set, for an unknown option or a missing value.
    static std::optional<TCommandLine> Read(const std::vector<std::string>& arguments,
                                            const std::vector<TOptionSpec>& known, std::string& error);

    bool Help() const { return help_; }
    bool Version() const { return version_; }
    bool Has(const std::string& name) const;
    // The value given last; nothing when the option was not given or given without a value.
    std::optional<std::string> Value(const std::string& name) const;
    // Every value given, in order.
    std::vector<std::string> Values(const std::string& name) const;
    const std::vector<std::string>& Operands() const { return operands_; }

private:
    struct TGiven {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<TGiven> given_;
    std::vector<std::string> operands_;
    bool help_ = false;
    bool version_ = false;
};

// What a command-line tool answers before its work: the usage to standard output for --help, its
// name and the product's version for --version. The exit code when one of them was asked for.
std::optional<int> AnswerHelpOrVersion(bool help, bool version, const std::string& program,
                                       const std::string& usage);
// A bad command line: "PROGRAM: ERROR" and the usage to standard error. Returns the exit code, 2.
int RefuseCommandLine(const std::string& program, const std::string& error, const std::string& usage);
// A tool's command line from main's arguments, or nothing when the tool is done with it already:
// --help or --version answered (exit code 0) or the command line refused (exit code 2).
std::optional<TCommandLine> ReadToolCommandLine(int argc, char** argv, const std::vector<TOptionSpec>& known,
                                                const std::string& program, const std::string& usage,
                                                int& exitCode);

} // namespace qv::framework
