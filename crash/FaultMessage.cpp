#include "crash/FaultMessage.h"

#include "crash/ReportFormat.h"
#include "crash/symbols/ModuleCache.h"

namespace qv::crash {

namespace {

// The page-fault error code's bits: the access was a write, or an instruction fetch.
constexpr greg_t kWriteAccess = 2;
constexpr greg_t kInstructionFetch = 16;
// A fault this close below the stack pointer hit the stack's guard page.
constexpr uintptr_t kStackGuardReach = 64 * 1024;

std::string Where(uintptr_t address) {
    const TModuleInfo* module = TModuleCache::Instance().FindModule(address);
    std::string text = " at address " + TReportFormat::Address(address);
    if (module != nullptr) text += " in module '" + module->fileName + "'";
    return text;
}

std::string MemoryFault(const char* kind, const TFaultContext& fault, uintptr_t instruction) {
    const auto target = reinterpret_cast<uintptr_t>(fault.signalInfo.si_addr);
    const greg_t error = fault.context.uc_mcontext.gregs[REG_ERR];
    const char* access = (error & kInstructionFetch) != 0 ? "Execution"
                         : (error & kWriteAccess) != 0    ? "Write"
                                                          : "Read";
    return kind + Where(instruction) + ". " + access + " of address " + TReportFormat::Address(target);
}

std::string FloatingPointFault(int code) {
    switch (code) {
    case FPE_INTDIV:
        return "Integer division by zero";
    case FPE_INTOVF:
        return "Integer overflow";
    case FPE_FLTDIV:
        return "Floating point division by zero";
    case FPE_FLTOVF:
        return "Floating point overflow";
    case FPE_FLTUND:
        return "Floating point underflow";
    case FPE_FLTRES:
        return "Floating point inexact result";
    case FPE_FLTINV:
        return "Invalid floating point operation";
    default:
        return "Floating point fault";
    }
}

} // namespace

std::string TFaultMessage::Compose(const TFaultContext& fault) {
    const greg_t* registers = fault.context.uc_mcontext.gregs;
    const auto instruction = static_cast<uintptr_t>(registers[REG_RIP]);
    const auto stackPointer = static_cast<uintptr_t>(registers[REG_RSP]);
    const auto target = reinterpret_cast<uintptr_t>(fault.signalInfo.si_addr);
    switch (fault.signalInfo.si_signo) {
    case SIGSEGV:
        if (target < stackPointer && stackPointer - target <= kStackGuardReach)
            return "Stack overflow" + Where(instruction);
        return MemoryFault("Access violation", fault, instruction);
    case SIGBUS:
        return MemoryFault("Bus error", fault, instruction);
    case SIGFPE:
        return FloatingPointFault(fault.signalInfo.si_code) + Where(instruction);
    case SIGILL:
        return (fault.signalInfo.si_code == ILL_PRVOPC ? "Privileged instruction" : "Illegal instruction") +
               Where(instruction);
    case SIGABRT:
        return "Abnormal program termination" + Where(instruction);
    default:
        return "Signal " + std::to_string(fault.signalInfo.si_signo) + Where(instruction);
    }
}

} // namespace qv::crash
