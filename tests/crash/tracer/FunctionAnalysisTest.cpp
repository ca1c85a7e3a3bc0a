#include "crash/tracer/FunctionAnalyzer.h"
#include "crash/tracer/FunctionCache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace qv::crash::test {

namespace analysis {

volatile uintptr_t gReturnAddress;
volatile int gSink;

__attribute__((noinline)) int Leaf(int x) {
    gReturnAddress = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
    gSink = x;
    return x + 1;
}

__attribute__((noinline)) int Caller(int x) {
    const int result = Leaf(x);
    gSink = result;
    return result;
}

__attribute__((noinline)) int Switch(int x) {
    int result = 0;
    switch (x) {
    case 0:
        result = Leaf(3);
        break;
    case 1:
        result = Leaf(5) * 7;
        break;
    case 2:
        result = Leaf(11) - 2;
        break;
    case 3:
        result = Leaf(13) ^ 9;
        break;
    case 4:
        result = Leaf(17) + gSink;
        break;
    case 5:
        result = Leaf(19) * gSink;
        break;
    case 6:
        result = Leaf(23) / 3;
        break;
    case 7:
        result = Leaf(29) % 5;
        break;
    default:
        result = -1;
        break;
    }
    gSink = result;
    return result;
}

} // namespace analysis

namespace {

uintptr_t AddressOf(auto function) {
    return reinterpret_cast<uintptr_t>(function);
}

TFunctionInfo AnalyzeBytes(const std::vector<uint8_t>& bytes, size_t codeSize) {
    const auto start = reinterpret_cast<uintptr_t>(bytes.data());
    return TFunctionAnalyzer::Analyze(start, start + codeSize);
}

} // namespace

TEST(FunctionAnalysis, FindsTheCallBehindAReturnAddress) {
    analysis::Caller(1);
    const uintptr_t returnAddress = analysis::gReturnAddress;
    const TFunctionInfo& caller = TFunctionCache::Instance().Function(AddressOf(&analysis::Caller));
    ASSERT_FALSE(caller.invalid);
    EXPECT_EQ(caller.name, "qv::crash::test::analysis::Caller");
    const TCallSite* call = caller.CallReturningTo(returnAddress);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->target, AddressOf(&analysis::Leaf));
    EXPECT_EQ(call->site, returnAddress - 5) << "a 5-byte relative call";
    EXPECT_TRUE(caller.IsInstructionStart(returnAddress));
    EXPECT_TRUE(caller.ContainsCode(call->site));
    EXPECT_EQ(caller.CallReturningTo(returnAddress + 1), nullptr);
    EXPECT_EQ(caller.CallReturningTo(AddressOf(&analysis::Caller)), nullptr);
    EXPECT_EQ(&TFunctionCache::Instance().Function(AddressOf(&analysis::Caller)), &caller) << "cached";
}

TEST(FunctionAnalysis, FollowsASwitchThroughItsJumpTable) {
    const TFunctionInfo& function = TFunctionCache::Instance().Function(AddressOf(&analysis::Switch));
    ASSERT_FALSE(function.invalid);
    ASSERT_EQ(function.caseTables.size(), 1u);
    EXPECT_EQ(function.caseTables[0].count, 8u);
    for (int i = 0; i < 8; ++i) {
        analysis::Switch(i);
        EXPECT_NE(function.CallReturningTo(analysis::gReturnAddress), nullptr) << "case " << i;
    }
}

TEST(FunctionAnalysis, OutsideTheCodeNothingIsAnalysed) {
    static const char data[16] = {};
    EXPECT_TRUE(TFunctionCache::Instance().Function(reinterpret_cast<uintptr_t>(data)).invalid);
    EXPECT_TRUE(TFunctionAnalyzer::Analyze(0x10, 0x100).invalid);
}

TEST(FunctionAnalysis, ReadsCallTargetsThroughPointers) {
    std::vector<uint8_t> bytes = {0xFF, 0x15, 0x02, 0, 0, 0, 0xC3, 0x90};
    const uint64_t target = 0x123456789;
    bytes.resize(16);
    std::memcpy(bytes.data() + 8, &target, 8);
    const TFunctionInfo info = AnalyzeBytes(bytes, 7);
    const auto start = reinterpret_cast<uintptr_t>(bytes.data());
    ASSERT_EQ(info.calls.size(), 1u);
    EXPECT_EQ(info.calls[0].site, start);
    EXPECT_EQ(info.calls[0].returnAddress, start + 6);
    EXPECT_EQ(info.calls[0].target, target);
    EXPECT_EQ(info.instructions, (std::vector<uintptr_t>{start, start + 6}));
}

TEST(FunctionAnalysis, RecognisesATableOfRelativeOffsets) {
    std::vector<uint8_t> bytes = {
        0x83, 0xF8, 0x02,                      // cmp eax, 2
        0x77, 0x10,                            // ja 21
        0x48, 0x8D, 0x15, 0x10, 0,    0,    0, // lea rdx, [rip + 16] (the table at 28)
        0x48, 0x63, 0x04, 0x82,                // movsxd rax, [rdx + rax * 4]
        0x48, 0x01, 0xD0,                      // add rax, rdx
        0xFF, 0xE0,                            // jmp rax
        0xC3,                                  // 21: default
        0xC3,                                  // 22: case 0
        0x90, 0xC3,                            // 23: case 1
        0xC3,                                  // 25: case 2
        0xCC, 0xCC,                            // 26: never reached
        0xFA, 0xFF, 0xFF, 0xFF, 0xFB, 0xFF, 0xFF, 0xFF, 0xFD, 0xFF, 0xFF, 0xFF};
    const TFunctionInfo info = AnalyzeBytes(bytes, 28);
    const auto start = reinterpret_cast<uintptr_t>(bytes.data());
    ASSERT_EQ(info.caseTables.size(), 1u);
    EXPECT_EQ(info.caseTables[0].address, start + 28);
    EXPECT_EQ(info.caseTables[0].count, 3u);
    EXPECT_EQ(info.labels, (std::vector<uintptr_t>{start + 21, start + 22, start + 23, start + 25}));
    ASSERT_EQ(info.areas.size(), 1u);
    EXPECT_EQ(info.areas[0].start, start);
    EXPECT_EQ(info.areas[0].end, start + 26);
    EXPECT_FALSE(info.IsInstructionStart(start + 26));
}

TEST(FunctionAnalysis, SurvivesRandomBytes) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> bytes(64 + random() % 4096);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        const size_t codeSize = 1 + random() % bytes.size();
        const TFunctionInfo info = AnalyzeBytes(bytes, codeSize);
        const auto start = reinterpret_cast<uintptr_t>(bytes.data());
        for (const TCodeArea& area : info.areas) {
            EXPECT_GE(area.start, start);
            EXPECT_LE(area.end, start + codeSize);
        }
        for (uintptr_t label : info.labels) {
            EXPECT_GE(label, start);
            EXPECT_LT(label, start + codeSize);
        }
    }
}

} // namespace qv::crash::test
