#include "framework/CommandLine.h"

#include <gtest/gtest.h>

namespace qv::framework::test {

namespace {

const std::vector<TOptionSpec> kKnown = {{"--flag", TOptionValue::None},
                                         {"--req", TOptionValue::Required},
                                         {"--att", TOptionValue::Attached},
                                         {"--list", TOptionValue::List},
                                         {"-o", TOptionValue::Required}};

} // namespace

TEST(CommandLine, OptionsStandAnywhereAmongTheOperands) {
    std::string error;
    const auto line = TCommandLine::Read({"a", "--flag", "--req", "-1", "b", "--att", "--list", "x", "y",
                                          "--list=z", "-o", "out", "-", "--", "--flag"},
                                         kKnown, error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->Operands(), (std::vector<std::string>{"a", "b", "-", "--flag"}))
        << "\"-\" is an operand; after \"--\" everything is";
    EXPECT_TRUE(line->Has("--flag"));
    EXPECT_EQ(line->Value("--req"), "-1") << "a required value is taken whatever it looks like";
    EXPECT_TRUE(line->Has("--att"));
    EXPECT_EQ(line->Value("--att"), std::nullopt);
    EXPECT_EQ(line->Values("--list"), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(line->Value("-o"), "out");
    EXPECT_FALSE(line->Help() || line->Version());

    const auto attached =
        TCommandLine::Read({"--req=1", "--att=3", "--req=", "--version", "-h"}, kKnown, error);
    ASSERT_TRUE(attached) << error;
    EXPECT_EQ(attached->Value("--req"), "") << "the last one given";
    EXPECT_EQ(attached->Values("--req"), (std::vector<std::string>{"1", ""}));
    EXPECT_EQ(attached->Value("--att"), "3");
    EXPECT_TRUE(attached->Help() && attached->Version());
}

TEST(CommandLine, RefusesUnknownOptionsAndMissingValues) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--other"}, "unknown option '--other'"},       {{"--flag=1"}, "unknown option '--flag=1'"},
        {{"--help=yes"}, "unknown option '--help=yes'"}, {{"a", "--req"}, "--req needs a value"},
        {{"--list", "--flag"}, "--list needs a value"},  {{"-x"}, "unknown option '-x'"}};
    for (const auto& [arguments, message] : cases) {
        std::string error;
        EXPECT_FALSE(TCommandLine::Read(arguments, kKnown, error)) << message;
        EXPECT_EQ(error, message);
    }
}

} // namespace qv::framework::test
