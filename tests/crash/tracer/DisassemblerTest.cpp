#include "crash/tracer/Disassembler.h"
#include "framework/Format.h"
#include "tests/support/crash/TraceChains.h"

#include <gtest/gtest.h>

namespace qv::crash::test {

namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string MarkedLine(const std::string& text) {
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.size() > 2 && line.find(" > ") != std::string::npos) return line;
        start = end + 2;
    }
    return {};
}

} // namespace

TEST(Disassembler, MarksTheInstructionAndNamesTheCall) {
    ChainOuter([](void*) {}, nullptr);
    const uintptr_t call = gMiddleReturnAddress - 5;
    const std::string text = TDisassembler::Disassemble(call, {true, 5});
    EXPECT_EQ(text.rfind("public qv::crash::test::ChainMiddle\r\n", 0), 0u) << text;
    const std::string marked = MarkedLine(text);
    EXPECT_EQ(marked.rfind(qv::framework::Format("%08lx > call", static_cast<unsigned long>(call)), 0), 0u)
        << text;
    EXPECT_NE(marked.find("; qv::crash::test::ChainInner"), std::string::npos) << marked;
    EXPECT_EQ(Count(text, " > "), 1u);
    EXPECT_EQ(Count(text, "; function entry point"), 1u) << text;
    EXPECT_NE(text.find("; line " + std::to_string(kMiddleCallLine)), std::string::npos) << text;
    EXPECT_EQ(text.find("[...]"), std::string::npos) << "the whole function";

    EXPECT_EQ(TDisassembler::Disassemble(call + 1, {true, 5}), text) << "inside the same instruction";
}

TEST(Disassembler, LabelsJumpTargetsAndCaseTables) {
    Switch(3);
    const auto start = reinterpret_cast<uintptr_t>(&Switch);
    const std::string whole = TDisassembler::Disassemble(start, {true, 5});
    EXPECT_GE(Count(whole, "; case jump table"), 8u) << whole;
    EXPECT_GE(Count(whole, "dd loc_"), 8u) << whole;
    EXPECT_GE(Count(whole, "\r\nloc_"), 2u) << whole;
    EXPECT_NE(MarkedLine(whole).find("; function entry point"), std::string::npos);

    const std::string brief = TDisassembler::Disassemble(start, {false, 2});
    EXPECT_NE(brief.find("[...]"), std::string::npos) << brief;
    EXPECT_EQ(brief.find("case jump table"), std::string::npos) << brief;
    EXPECT_LT(brief.size(), whole.size());

    const std::string branching =
        TDisassembler::Disassemble(reinterpret_cast<uintptr_t>(&RecurseC), {true, 5});
    EXPECT_NE(branching.find("public qv::crash::test::RecurseC"), std::string::npos) << branching;
    const size_t label = branching.find("\r\nloc_");
    ASSERT_NE(label, std::string::npos) << branching;
    const std::string name = branching.substr(label + 2, branching.find(':', label) - label - 2);
    EXPECT_GE(Count(branching, name), 2u) << "the jump names its label: " << branching;
}

TEST(Disassembler, FailsWithTheFixedText) {
    const std::string failure =
        "Internal error in ParseFunction while composing the disassembling string...  :-(";
    EXPECT_EQ(TDisassembler::Disassemble(16, {}), failure);
    int onTheStack = 0;
    EXPECT_EQ(TDisassembler::Disassemble(reinterpret_cast<uintptr_t>(&onTheStack), {}), failure);
}

} // namespace qv::crash::test
