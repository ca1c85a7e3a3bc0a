#include "framework/CommandLine.h"

#include "platform/ProductVersion.h"

#include <algorithm>
#include <cstdio>

namespace qv::framework {

namespace {

constexpr int kUsageExitCode = 2;

// An argument that names an option: a dash and something after it ("-" alone is an operand).
bool IsOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

} // namespace

std::optional<TCommandLine> TCommandLine::Read(const std::vector<std::string>& arguments,
                                               const std::vector<TOptionSpec>& known, std::string& error) {
    TCommandLine line;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !IsOption(argument)) {
            line.operands_.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        std::optional<std::string> attached;
        if (equals != std::string::npos) attached = argument.substr(equals + 1);
        if ((name == "--help" || name == "-h" || name == "--version") && !attached) {
            (name == "--version" ? line.version_ : line.help_) = true;
            continue;
        }
        const auto spec =
            std::find_if(known.begin(), known.end(), [&](const TOptionSpec& s) { return s.name == name; });
        if (spec == known.end() || (attached && spec->value == TOptionValue::None)) {
            error = "unknown option '" + argument + "'";
            return std::nullopt;
        }
        switch (spec->value) {
        case TOptionValue::None:
        case TOptionValue::Attached:
            line.given_.push_back({name, attached});
            break;
        case TOptionValue::Required:
            if (!attached && i + 1 >= arguments.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            line.given_.push_back({name, attached ? *attached : arguments[++i]});
            break;
        case TOptionValue::List: {
            const size_t before = line.given_.size();
            if (attached) line.given_.push_back({name, attached});
            for (; i + 1 < arguments.size() && !IsOption(arguments[i + 1]); ++i)
                line.given_.push_back({name, arguments[i + 1]});
            if (line.given_.size() == before) {
                error = name + " needs a value";
                return std::nullopt;
            }
            break;
        }
        }
    }
    return line;
}

bool TCommandLine::Has(const std::string& name) const {
    return std::any_of(given_.begin(), given_.end(), [&](const TGiven& g) { return g.name == name; });
}

std::optional<std::string> TCommandLine::Value(const std::string& name) const {
    const auto last =
        std::find_if(given_.rbegin(), given_.rend(), [&](const TGiven& g) { return g.name == name; });
    return last == given_.rend() ? std::nullopt : last->value;
}

std::vector<std::string> TCommandLine::Values(const std::string& name) const {
    std::vector<std::string> values;
    for (const TGiven& given : given_)
        if (given.name == name && given.value) values.push_back(*given.value);
    return values;
}

std::optional<int> AnswerHelpOrVersion(bool help, bool version, const std::string& program,
                                       const std::string& usage) {
    if (help) {
        std::fputs(usage.c_str(), stdout);
        return 0;
    }
    if (version) {
        std::printf("%s %s\n", program.c_str(), platform::kVersionText);
        return 0;
    }
    return std::nullopt;
}

int RefuseCommandLine(const std::string& program, const std::string& error, const std::string& usage) {
    std::fprintf(stderr, "%s: %s\n%s", program.c_str(), error.c_str(), usage.c_str());
    return kUsageExitCode;
}

std::optional<TCommandLine> ReadToolCommandLine(int argc, char** argv, const std::vector<TOptionSpec>& known,
                                                const std::string& program, const std::string& usage,
                                                int& exitCode) {
    std::string error;
    std::optional<TCommandLine> line =
        TCommandLine::Read(std::vector<std::string>(argv + 1, argv + argc), known, error);
    if (!line) {
        exitCode = RefuseCommandLine(program, error, usage);
        return std::nullopt;
    }
    if (const std::optional<int> answered =
            AnswerHelpOrVersion(line->Help(), line->Version(), program, usage)) {
        exitCode = *answered;
        return std::nullopt;
    }
    return line;
}

} // namespace qv::framework
