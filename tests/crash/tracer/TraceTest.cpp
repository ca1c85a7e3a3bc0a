#include "tests/support/ForkedCase.h"
#include "tests/support/crash/BlockedThread.h"
#include "tests/support/crash/TraceChains.h"

#include "crash/symbols/MapFileCache.h"
#include "crash/tracer/FunctionCache.h"
#include "crash/tracer/StackMaps.h"
#include "crash/tracer/StackTracer.h"
#include "crash/tracer/ThreadHold.h"
#include "crash/tracer/ThreadState.h"
#include "crash/tracer/ThreadTracer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <exception>
#include <random>
#include <sstream>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace qv::crash::test {

using qv::test::ForkedResult;
using qv::test::RunForked;
using qv::test::WriteAll;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

// The index of the first line from `from` on that names the function, or npos.
size_t FindLine(const std::vector<std::string>& lines, const std::string& function, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(function) != std::string::npos) return i;
    return std::string::npos;
}

// The chain functions appear innermost first, each with its unit and the line of its call.
void ExpectChain(const std::string& trace) {
    const std::vector<std::string> lines = Lines(trace);
    const size_t inner = FindLine(lines, "qv::crash::test::ChainInner");
    const size_t middle = FindLine(lines, "qv::crash::test::ChainMiddle");
    const size_t outer = FindLine(lines, "qv::crash::test::ChainOuter");
    ASSERT_NE(inner, std::string::npos) << trace;
    ASSERT_NE(middle, std::string::npos) << trace;
    ASSERT_NE(outer, std::string::npos) << trace;
    EXPECT_EQ(middle, inner + 1) << trace;
    EXPECT_EQ(outer, middle + 1) << trace;
    const std::pair<size_t, int> expected[] = {
        {inner, kInnerCallLine}, {middle, kMiddleCallLine}, {outer, kOuterCallLine}};
    for (const auto& [index, line] : expected) {
        EXPECT_NE(lines[index].find(" TraceChains "), std::string::npos) << lines[index];
        EXPECT_NE(lines[index].find(" " + std::to_string(line) + " "), std::string::npos) << lines[index];
    }
}

void TraceInto(void* out) {
    *static_cast<std::string*>(out) = TThreadTracer::TraceCurrentThread({});
}

} // namespace

TEST(Trace, OwnThreadShowsTheChainInOrder) {
    std::string trace;
    ChainOuter(&TraceInto, &trace);
    ExpectChain(trace);
    const std::vector<std::string> lines = Lines(trace);
    EXPECT_NE(lines.front().find("TraceInto"), std::string::npos) << "the caller of the trace comes first";
    EXPECT_NE(FindLine(lines, "TraceTest"), std::string::npos) << "the test body calls the chain";
    EXPECT_EQ(FindLine(lines, "TraceCurrentThread"), std::string::npos) << "the tracer's own frames stay out";
}

TEST(Trace, AnotherThreadBlockedInAKnownFunction) {
    TThreadTracer::Prime();
    const BlockedThread blocked;
    const auto trace = TThreadTracer::TraceThread(blocked.Id(), {});
    ASSERT_TRUE(trace.has_value());
    ExpectChain(*trace);
    const std::vector<std::string> lines = Lines(*trace);
    EXPECT_NE(lines.front().find("libc.so.6"), std::string::npos) << *trace;
    EXPECT_NE(lines.front().find("read"), std::string::npos) << "the C library names the blocking call";
    EXPECT_NE(FindLine(lines, "BlockedThread::Wait"), std::string::npos) << *trace;
}

TEST(Trace, ThreadsThatCannotBeHeldGiveNothing) {
    const auto self = static_cast<pid_t>(::syscall(SYS_gettid));
    EXPECT_FALSE(TThreadTracer::TraceThread(self, {}).has_value()) << "a thread cannot hold itself";
    EXPECT_FALSE(TThreadTracer::TraceThread(0x3fffffff, {}).has_value()) << "no such thread";

    const BlockedThread deaf(true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(TThreadTracer::TraceThread(deaf.Id(), {}).has_value());
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(TThreadHold::kAnswerMilliseconds - 50));
    EXPECT_LT(waited, std::chrono::milliseconds(3 * TThreadHold::kAnswerMilliseconds));

    const BlockedThread next;
    EXPECT_TRUE(TThreadTracer::TraceThread(next.Id(), {}).has_value()) << "the slot is free again";
}

TEST(Trace, ThreadsStartedAfterAnEarlierHoldAreTracedInFull) {
    TThreadTracer::Prime();
    const BlockedThread first;
    ASSERT_TRUE(TThreadTracer::TraceThread(first.Id(), {}).has_value());
    // Their stacks are mapped after the holder read the mappings for the first.
    const BlockedThread second;
    const BlockedThread third;
    for (const BlockedThread* thread : {&second, &third, &first}) {
        const auto trace = TThreadTracer::TraceThread(thread->Id(), {});
        ASSERT_TRUE(trace.has_value());
        ExpectChain(*trace);
    }
}

TEST(StackMaps, AScanWithoutAllocationAgreesWithAReading) {
    const TStackMaps maps = TStackMaps::Read();
    const uintptr_t threadPointer = TThreadState::CurrentThreadPointer();
    int local = 0;
    const uintptr_t stack = reinterpret_cast<uintptr_t>(&local);
    EXPECT_NE(maps.StackTop(stack, threadPointer), 0u);
    for (const uintptr_t address : {stack, reinterpret_cast<uintptr_t>(&ChainOuter), uintptr_t{0x10}})
        EXPECT_EQ(TStackMaps::ScanStackTop(address, threadPointer), maps.StackTop(address, threadPointer))
            << std::hex << address;
    EXPECT_EQ(TStackMaps::Parse("1000-2000 r-xp\n3000-5000").StackTop(0x4000, 0), 0x5000u)
        << "the last line needs no line end";
}

namespace {

volatile int gBusySink;

// Work that takes the locks a held thread may own: the tracer must never wait for them while it
// holds the thread.
void BusyWithStdio() {
    if (FILE* file = std::fopen("/proc/self/stat", "re")) std::fclose(file);
}

void BusyWithTheAllocator() {
    std::vector<std::string> texts(8, std::string(200, 'x'));
    gBusySink = gBusySink + static_cast<int>(texts.size());
}

void BusyWithTheLoader() {
    if (void* library = ::dlopen("libutil.so.1", RTLD_NOW)) ::dlclose(library);
}

void BusyThrowing() {
    try {
        throw std::runtime_error("caught at once");
    } catch (const std::exception&) {
        gBusySink = gBusySink + 1;
    }
}

void BusyWithSymbols() {
    const auto chain = reinterpret_cast<uintptr_t>(&ChainOuter);
    if (const TModuleInfo* module = TModuleCache::Instance().FindModule(chain))
        TMapFileCache::Instance().TableAt(*module, chain);
    TFunctionCache::Instance().Function(chain);
}

} // namespace

// Thousands of holds per kind of lock, which takes a few seconds (a minute under the sanitizers):
// a deadlock needs the hold to land inside the lock, which few rounds would rarely meet.
TEST(Trace, AThreadHoldingAnyLockIsTracedWithoutHanging) {
    constexpr int kRounds = 1000;
    const std::pair<const char*, void (*)()> activities[] = {{"stdio", &BusyWithStdio},
                                                             {"allocator", &BusyWithTheAllocator},
                                                             {"loader", &BusyWithTheLoader},
                                                             {"throw", &BusyThrowing},
                                                             {"symbols", &BusyWithSymbols}};
    for (const auto& [name, activity] : activities) {
        const ForkedResult result = RunForked(
            [activity = activity](int out) {
                std::atomic<bool> stop{false};
                std::atomic<pid_t> busy{0};
                std::thread worker([&] {
                    busy.store(static_cast<pid_t>(::syscall(SYS_gettid)));
                    while (!stop.load())
                        activity();
                });
                while (busy.load() == 0)
                    std::this_thread::yield();
                int traced = 0;
                // Snapshots and unwinding are where a held lock would bite; every 50th round also
                // runs the whole trace.
                for (int round = 0; round < kRounds; ++round) {
                    if (round % 50 == 0) {
                        traced += TThreadTracer::TraceThread(busy.load(), {}).has_value() ? 1 : 0;
                    } else if (auto snapshot = TThreadHold::Snapshot(busy.load())) {
                        TThreadState::FromContext(snapshot->context, std::move(snapshot->stack));
                        ++traced;
                    }
                }
                stop.store(true);
                worker.join();
                WriteAll(out, std::to_string(traced));
            },
            60);
        ASSERT_TRUE(result.exitedCleanly) << name << ": the trace waited for a lock the held thread owned";
        EXPECT_EQ(result.output, std::to_string(kRounds)) << name;
    }
}

TEST(Trace, RecursionShowsOnce) {
    std::string trace;
    RecurseA(10, &TraceInto, &trace);
    const std::vector<std::string> lines = Lines(trace);
    size_t recursiveCalls = 0;
    size_t recursionLines = 0;
    for (const std::string& line : lines) {
        if (line.find("qv::crash::test::Recurse") == std::string::npos) continue;
        ++recursionLines;
        if (line.find(" " + std::to_string(kRecurseCLine) + " ") != std::string::npos) ++recursiveCalls;
    }
    EXPECT_EQ(recursiveCalls, 1u) << trace;
    // One round of the three, plus the way in and the way to the trace.
    EXPECT_LE(recursionLines, 6u) << trace;
    EXPECT_GE(recursionLines, 3u) << trace;
}

namespace {

std::atomic<int> gFaultOut{-1};

void TraceTheFault(int, siginfo_t*, void* context) {
    const std::string trace = TThreadTracer::TraceContext(*static_cast<const ucontext_t*>(context),
                                                          TThreadState::CurrentThreadPointer(),
                                                          TThreadTracer::TStart::Instruction, {});
    WriteAll(gFaultOut.load(), trace);
    ::_exit(0);
}

// Unmapped, but not null, so that the fault stays a plain access fault under every checker.
volatile uintptr_t gNowhere = 16;

__attribute__((noinline)) void Fault(void*) {
    *reinterpret_cast<volatile int*>(gNowhere) = 1;
}

} // namespace

TEST(Trace, FromTheContextAFaultHandlerReceives) {
    const ForkedResult result = RunForked([](int out) {
        TThreadTracer::Prime();
        gFaultOut.store(out);
        // The handler traces on this stack, and libdw decodes a line table with buffers of over
        // 128 KiB on the stack.
        static char alternate[1 << 20];
        const stack_t stack{alternate, 0, sizeof alternate};
        ::sigaltstack(&stack, nullptr);
        struct sigaction action {};
        action.sa_sigaction = &TraceTheFault;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        ::sigaction(SIGSEGV, &action, nullptr);
        ChainOuter(&Fault, nullptr);
    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    ExpectChain(result.output);
    EXPECT_NE(Lines(result.output).front().find("Fault"), std::string::npos)
        << "the faulting instruction first";
}

namespace {

std::atomic<int> gTerminateOut{-1};

void TraceOnTerminate() {
    WriteAll(gTerminateOut.load(), TThreadTracer::TraceCurrentThread({}));
    ::_exit(0);
}

__attribute__((noinline)) void Throw(void*) {
    throw std::runtime_error("nobody catches this");
}

} // namespace

TEST(Trace, HidesTheExceptionMachinery) {
    const ForkedResult result = RunForked([](int out) {
        gTerminateOut.store(out);
        std::set_terminate(&TraceOnTerminate);
        // A thread's function has no handler: the throw itself calls terminate.
        std::thread([] { ChainOuter(&Throw, nullptr); }).join();
    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    ExpectChain(result.output);
    EXPECT_NE(result.output.find("Throw"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("__cxa_throw"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("_Unwind_"), std::string::npos) << result.output;
}

namespace {

TTraceInput SyntheticStack(std::vector<uintptr_t>& stack, uintptr_t exceptionAddress) {
    TTraceInput input;
    input.stackPointer = reinterpret_cast<uintptr_t>(stack.data());
    input.stackTop = input.stackPointer + stack.size() * sizeof(uintptr_t);
    input.exceptionAddress = exceptionAddress;
    return input;
}

bool HasItem(const TStackTracer& tracer, uintptr_t address) {
    for (const TStackItem& item : tracer.Items())
        if (item.address == address && !item.invalid) return true;
    return false;
}

} // namespace

TEST(Trace, KeepsAValueBehindARealCallOnly) {
    ChainOuter([](void*) {}, nullptr);
    const uintptr_t behindCall = gMiddleReturnAddress;
    const uintptr_t lookalike = LookalikeReturnAddress();
    std::vector<uintptr_t> stack = {0x1234, lookalike, behindCall + 1, behindCall, 0};
    TStackTracer tracer(SyntheticStack(stack, reinterpret_cast<uintptr_t>(&ChainInner)));
    const std::string trace = tracer.Trace();
    EXPECT_TRUE(HasItem(tracer, behindCall)) << trace;
    EXPECT_FALSE(HasItem(tracer, lookalike)) << "call bytes, but no function makes that call";
    EXPECT_FALSE(HasItem(tracer, behindCall + 1)) << "no call before it";
    EXPECT_NE(Lines(trace).at(1).find("qv::crash::test::ChainMiddle"), std::string::npos) << trace;
}

TEST(Trace, GarbledContextsNeitherCrashNorHang) {
    const ForkedResult result = RunForked([](int out) {
        const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
        const auto guard =
            reinterpret_cast<uintptr_t>(::mmap(nullptr, page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        ucontext_t real;
        ::getcontext(&real);
        const auto code = reinterpret_cast<uintptr_t>(&ChainMiddle);
        std::mt19937_64 random(424242);
        size_t traced = 0;
        for (int round = 0; round < 300; ++round) {
            ucontext_t context = real;
            greg_t* registers = context.uc_mcontext.gregs;
            const uintptr_t choices[] = {guard + 64, 16, random(), code + random() % 64,
                                         static_cast<uintptr_t>(registers[REG_RSP]) + random() % 4096};
            registers[REG_RIP] = static_cast<greg_t>(choices[random() % 5]);
            registers[REG_RBP] = static_cast<greg_t>(choices[random() % 5]);
            if (round % 3 == 0) registers[REG_RSP] = static_cast<greg_t>(choices[random() % 5]);
            const std::string trace = TThreadTracer::TraceContext(
                context, TThreadState::CurrentThreadPointer(), TThreadTracer::TStart::Instruction, {});
            traced += trace.empty() ? 0 : 1;
        }
        WriteAll(out, std::to_string(traced));
    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    EXPECT_EQ(result.output, "300");
}

TEST(Trace, RandomStacksNeitherCrashNorHang) {
    ChainOuter([](void*) {}, nullptr);
    const uintptr_t code[] = {gMiddleReturnAddress, reinterpret_cast<uintptr_t>(&ChainOuter),
                              reinterpret_cast<uintptr_t>(&::read), LookalikeReturnAddress()};
    std::mt19937_64 random(777);
    for (int round = 0; round < 100; ++round) {
        std::vector<uintptr_t> stack(512);
        const auto base = reinterpret_cast<uintptr_t>(stack.data());
        for (uintptr_t& slot : stack) {
            switch (random() % 4) {
            case 0:
                slot = random();
                break;
            case 1:
                slot = code[random() % 4] + random() % 32 - 16;
                break;
            case 2:
                slot = base + random() % (stack.size() * sizeof(uintptr_t));
                break;
            default:
                slot = code[random() % 4];
                break;
            }
        }
        TTraceInput input = SyntheticStack(stack, code[random() % 4]);
        input.framePointer = base + random() % (stack.size() * sizeof(uintptr_t));
        input.creatorAddress = round % 2 == 0 ? code[1] : 0;
        const std::string trace = TStackTracer(input).Trace();
        ASSERT_FALSE(trace.empty()) << "round " << round;
        ASSERT_EQ(trace.find(">> internal error"), std::string::npos) << trace;
    }
}

TEST(Trace, UnreadableStackIsReportedAsSuch) {
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    void* memory = ::mmap(nullptr, page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    TTraceInput input;
    input.stackPointer = reinterpret_cast<uintptr_t>(memory);
    input.stackTop = input.stackPointer + page;
    input.exceptionAddress = reinterpret_cast<uintptr_t>(&ChainOuter);
    EXPECT_EQ(TStackTracer(input).Trace(), ">> stack not accessible");
    ::munmap(memory, page);
    input.stackTop = input.stackPointer;
    EXPECT_EQ(TStackTracer(input).Trace(), ">> stack not accessible") << "an empty range";
}

TEST(Trace, ProgressRunsFrom0To1000AndEachStageHasItsGuard) {
    std::vector<int> seen;
    std::string trace;
    auto run = [&](const TTraceProgress& progress) {
        const uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
        std::vector<uintptr_t> stack(64, 0);
        stack[10] = here;
        TTraceInput input = SyntheticStack(stack, reinterpret_cast<uintptr_t>(&ChainOuter));
        input.progress = progress;
        return TStackTracer(input).Trace();
    };
    trace = run([&](int value) { seen.push_back(value); });
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 1000);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    const std::pair<int, const char*> failures[] = {{0, "CollectPossibleStackItems"},
                                                    {26, "InDeepChecks"},
                                                    {651, "RealizeOptimalLinkChains"},
                                                    {1000, "ComposeResult"}};
    for (const auto& [from, stage] : failures) {
        const std::string failed = run([from = from](int value) {
            if (value >= from) throw std::runtime_error("progress window gone");
        });
        EXPECT_EQ(failed, std::string(">> internal error in ") + stage);
    }
}

} // namespace qv::crash::test
