#include "crash/tracer/CallCandidate.h"
#include "crash/tracer/CallDecoder.h"

#include <gtest/gtest.h>

#include <Zydis/Zydis.h>
#include <random>
#include <vector>

namespace qv::crash::test {

namespace candidate {

volatile uintptr_t gReturnAddress;

__attribute__((noinline)) void Leaf() {
    gReturnAddress = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
}

__attribute__((noinline)) void Caller() {
    Leaf();
    gReturnAddress = gReturnAddress + 0;
}

// Bytes placed among the program's code: nops, a relative call, nops, an indirect call, nops.
__attribute__((section(".text.qv_candidate"), used)) const uint8_t kCode[32] = {
    0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0xE8, 0x00, 0x00, 0x00, 0x00, 0x90, 0x90, 0x90,
    0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0xFF, 0xD0, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90};

} // namespace candidate

namespace {

using TBytes = uint8_t[TCallCandidate::kLookBehind];

// The bytes before a value whose last bytes are the given instruction, padded in front with nops.
bool EndsWithCall(const std::vector<uint8_t>& tail) {
    TBytes before;
    std::fill(std::begin(before), std::end(before), 0x90);
    std::copy(tail.begin(), tail.end(), std::end(before) - static_cast<std::ptrdiff_t>(tail.size()));
    return TCallCandidate::EndsWithCall(before);
}

// What a decoder says: some call instruction of 2 to 7 bytes, starting with E8 or FF, ends exactly
// at the value.
bool DecoderSeesCall(const TBytes& before) {
    ZydisDecoder decoder;
    ZydisDecoderInit(&decoder, ZYDIS_MACHINE_MODE_LONG_64, ZYDIS_STACK_WIDTH_64);
    for (unsigned length = 2; length <= 7; ++length) {
        const uint8_t* start = before + TCallCandidate::kLookBehind - length;
        if (start[0] != 0xE8 && start[0] != 0xFF) continue;
        ZydisDecodedInstruction instruction;
        if (ZYAN_FAILED(ZydisDecoderDecodeInstruction(&decoder, nullptr, start, length, &instruction)))
            continue;
        if (instruction.length == length && instruction.meta.category == ZYDIS_CATEGORY_CALL) return true;
    }
    return false;
}

} // namespace

TEST(CallCandidate, RecognisesEveryCallEncodingByItsLength) {
    EXPECT_TRUE(EndsWithCall({0xE8, 0x10, 0x20, 0x30, 0x40})) << "call rel32";
    EXPECT_TRUE(EndsWithCall({0xFF, 0xD0})) << "call rax";
    EXPECT_TRUE(EndsWithCall({0x41, 0xFF, 0xD3})) << "call r11";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x10})) << "call [rax]";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x50, 0x08})) << "call [rax+8]";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x14, 0x24})) << "call [rsp]";
    EXPECT_TRUE(EndsWithCall({0x41, 0xFF, 0x55, 0x00})) << "call [r13+0]";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x54, 0x24, 0x08})) << "call [rsp+8]";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x15, 1, 2, 3, 4})) << "call [rip+disp32]";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x90, 1, 2, 3, 4})) << "call [rax+disp32]";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x94, 0x24, 1, 2, 3, 4})) << "call [rsp+disp32]";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x14, 0xC5, 1, 2, 3, 4})) << "call [rax*8+disp32]";
    EXPECT_TRUE(EndsWithCall({0xFF, 0x1D, 1, 2, 3, 4})) << "far call through [rip+disp32]";

    EXPECT_FALSE(EndsWithCall({0xFF, 0xE0})) << "jmp rax";
    EXPECT_FALSE(EndsWithCall({0xFF, 0xD8})) << "far call needs memory";
    EXPECT_FALSE(EndsWithCall({0xFF, 0x50})) << "call [rax+disp8] lacks its displacement";
    EXPECT_FALSE(EndsWithCall({0xFF, 0x15, 1, 2, 3})) << "disp32 cut short";
    EXPECT_FALSE(EndsWithCall({0xE9, 1, 2, 3, 4})) << "jmp rel32";
    EXPECT_FALSE(EndsWithCall({})) << "only nops";
}

TEST(CallCandidate, AgreesWithTheDecoderOnRandomBytes) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> byte(0, 255);
    int calls = 0;
    for (int round = 0; round < 200000; ++round) {
        TBytes before;
        for (uint8_t& b : before)
            b = static_cast<uint8_t>(byte(random));
        // Make calls common enough to matter: plant an opcode at a random length.
        if (round % 2 == 0) before[TCallCandidate::kLookBehind - 2 - round / 2 % 6] = 0xFF;
        const bool expected = DecoderSeesCall(before);
        calls += expected ? 1 : 0;
        ASSERT_EQ(TCallCandidate::EndsWithCall(before), expected) << "round " << round;
    }
    EXPECT_GT(calls, 1000);
}

TEST(CallCandidate, ReturnAddressesInLoadedCodeOnly) {
    candidate::Caller();
    const uintptr_t returnAddress = candidate::gReturnAddress;
    EXPECT_TRUE(TCallCandidate::IsReturnAddress(returnAddress));
    const auto site = TCallDecoder::CallBefore(returnAddress);
    ASSERT_TRUE(site.has_value());
    EXPECT_EQ(site->target, reinterpret_cast<uintptr_t>(&candidate::Leaf));
    EXPECT_EQ(site->site, returnAddress - 5);

    const auto code = reinterpret_cast<uintptr_t>(candidate::kCode);
    EXPECT_TRUE(TCallCandidate::IsReturnAddress(code + 13)) << "behind the relative call";
    EXPECT_TRUE(TCallCandidate::IsReturnAddress(code + 24)) << "behind the indirect call";
    EXPECT_FALSE(TCallCandidate::IsReturnAddress(code + 8)) << "behind nops";
    EXPECT_FALSE(TCallCandidate::IsReturnAddress(code + 14)) << "one byte off";
    std::vector<uint8_t> heap = {0xE8, 0, 0, 0, 0, 0x90};
    EXPECT_FALSE(TCallCandidate::IsReturnAddress(reinterpret_cast<uintptr_t>(heap.data()) + 5))
        << "call bytes outside every module's code";
    EXPECT_FALSE(TCallCandidate::IsReturnAddress(0));
    EXPECT_FALSE(TCallCandidate::IsReturnAddress(7));
    EXPECT_FALSE(TCallCandidate::IsReturnAddress(UINTPTR_MAX));
}

} // namespace qv::crash::test
