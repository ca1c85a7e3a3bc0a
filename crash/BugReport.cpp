#include "crash/BugReport.h"

#include "crash/ThreadMarks.h"

#include "crash/FaultRecovery.h"
#include "crash/ReportFormat.h"
#include "crash/ThreadRegistry.h"
#include "crash/symbols/ModuleCache.h"
#include "crash/tracer/StackTracer.h"
#include "crash/tracer/ThreadTracer.h"
#include "platform/DeviceList.h"
#include "platform/Process.h"
#include "platform/ProductVersion.h"
#include "platform/SystemInfo.h"

#include <algorithm>
#include <dirent.h>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::crash {

namespace {

using platform::TSystemInfo;

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kSectionBreak = "\r\n\r\n";

std::string Note(const std::string& step) {
    return TStackTracer::InternalErrorNote(step);
}

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    return local;
}

std::string FileName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string SizeText(uint64_t bytes) {
    return TReportFormat::Size(bytes, TReportFormat::DecimalSeparator());
}

// The whole command line, arguments with blanks in double quotes; empty without arguments.
std::string CommandLineText() {
    const std::vector<std::string> arguments = platform::OwnCommandLine();
    if (arguments.size() < 2) return {};
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty()) text += ' ';
        text += argument.find(' ') != std::string::npos ? "\"" + argument + "\"" : argument;
    }
    return text;
}

// The file of the module that holds the reporter.
std::string ReporterModule() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&CommandLineText), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::error_code error;
    const std::filesystem::path path = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : path.string();
}

// The numbers after ".so." in the name of the file that a module's path leads to: "6.0.30".
std::string ModuleVersion(const std::string& path) {
    std::error_code error;
    const std::string name = std::filesystem::canonical(path, error).filename().string();
    const size_t so = name.find(".so.");
    return error || so == std::string::npos ? std::string() : name.substr(so + 4);
}

// The thread's scheduling marks, from its stat line in /proc.
std::string ThreadMarks(pid_t thread) {
    std::ifstream file("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string text;
    std::getline(file, text);
    return ThreadMarksOf(text);
}

std::vector<pid_t> ProcessThreads() {
    std::vector<pid_t> threads;
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr) throw std::runtime_error("no thread list");
    while (const dirent* entry = ::readdir(tasks)) {
        const auto thread = static_cast<pid_t>(std::atoi(entry->d_name));
        if (thread > 0) threads.push_back(thread);
    }
    ::closedir(tasks);
    return threads;
}

TThreadTracer::TStart StartOf(TCaptureKind kind) {
    switch (kind) {
    case TCaptureKind::Signal:
        return TThreadTracer::TStart::Instruction;
    case TCaptureKind::Terminate:
        return TThreadTracer::TStart::Thrower;
    case TCaptureKind::Call:
        break;
    }
    return TThreadTracer::TStart::CallerOfCapture;
}

bool CaseInsensitiveLess(std::string a, std::string b) {
    auto lower = [](std::string& text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return std::tolower(c); });
    };
    lower(a);
    lower(b);
    return a < b;
}

} // namespace

std::string TBugReport::Compose(const TReportSubject& subject) const {
    std::string report;
    uintptr_t faultAddress = 0;
    bool composed = false;
    try {
        composed = TFaultRecovery::Run([&] { ComposeParts(subject, report); }, faultAddress);
    } catch (...) {
        // What was composed so far stays, and the note below ends it.
    }
    if (!composed) {
        report += std::string(kSectionBreak) + "An exception occurred during composing the bug report.";
        // A fault names its instruction; an exception of the language carries no address.
        if (faultAddress != 0) report += " " + TReportFormat::HexId(faultAddress);
    }
    return report;
}

void TBugReport::ComposeParts(const TReportSubject& subject, std::string& report) const {
    report = Header(subject);
    report += ThreadSections(subject);
    if (settings_.listModules) report += kSectionBreak + Modules();
    if (settings_.listHardware) report += kSectionBreak + Hardware();
    if (!settings_.disassembler) return;
    const uintptr_t address = subject.exceptionAddress != 0
                                  ? subject.exceptionAddress
                                  : TThreadTracer::StackCodeAddress(subject.threadId);
    if (address == 0) return;
    std::string text;
    try {
        text = settings_.disassembler(address, settings_.disasmOptions);
        if (!text.empty()) text = std::string(kSectionBreak) + "disassembling:" + kLineEnd + text;
    } catch (...) {
        text = Note("GetCleartextDisAsm");
    }
    report += text;
}

std::string TBugReport::Header(const TReportSubject& subject) const {
    using TLine = std::pair<const char*, std::function<std::string()>>;
    const std::string program = platform::OwnExecutable();
    const auto now = std::chrono::system_clock::now();
    const std::vector<TLine> lines = {
        {"date/time",
         [&] { return TReportFormat::DateTime(LocalTime(std::chrono::system_clock::to_time_t(now))); }},
        {"computer name", [] { return TSystemInfo::ComputerName(); }},
        {"wts client name",
         [] {
             // The remote client of a terminal connection: the address an SSH session came from.
             const char* client = std::getenv("SSH_CLIENT");
             const std::string text = client != nullptr ? client : "";
             return text.substr(0, text.find(' '));
         }},
        {"user name", [] { return TSystemInfo::UserName(); }},
        {"operating system",
         [] { return TSystemInfo::OperatingSystemName() + " build " + TSystemInfo::KernelRelease(); }},
        {"system language", [] { return TSystemInfo::SystemLanguage(); }},
        {"system up time",
         [] {
             const auto seconds = TSystemInfo::SystemUpSeconds();
             return seconds ? TReportFormat::Duration(*seconds) : std::string();
         }},
        {"program up time",
         [&] {
             const auto elapsed = now - installedAt_;
             const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
             const std::string text =
                 TReportFormat::Duration(static_cast<uint64_t>(std::max<int64_t>(seconds, 0)));
             if (!text.empty()) return text;
             const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
             return std::to_string(std::max<int64_t>(milliseconds, 0)) + " milliseconds";
         }},
        {"processor",
         [] {
             const auto processor = TSystemInfo::Processor();
             return processor && processor->count == 1 ? processor->name : std::string();
         }},
        {"processors",
         [] {
             const auto processor = TSystemInfo::Processor();
             return processor && processor->count > 1
                        ? std::to_string(processor->count) + "x " + processor->name
                        : std::string();
         }},
        {"physical memory",
         [] {
             const auto memory = TSystemInfo::PhysicalMemory();
             if (!memory) return std::string();
             auto megabytes = [](uint64_t bytes) { return std::to_string((bytes + 524288) / 1048576); };
             return megabytes(memory->freeBytes) + "/" + megabytes(memory->totalBytes) + " MB (free/total)";
         }},
        {"free disk space",
         [&] {
             std::string text;
             for (const TSystemInfo::TVolumeSpace& volume : TSystemInfo::FreeDiskSpace(program))
                 text += (text.empty() ? "(" : " (") + volume.mountPoint + ") " + SizeText(volume.freeBytes);
             return text;
         }},
        {"display mode",
         [] {
             const auto mode = TSystemInfo::DisplayMode();
             return mode ? std::to_string(mode->width) + "x" + std::to_string(mode->height) + ", " +
                               std::to_string(mode->bitsPerPixel) + " bit"
                         : std::string();
         }},
        {"process id", [] { return TReportFormat::HexId(static_cast<uint64_t>(::getpid())); }},
        {"command line", [&] { return settings_.showCommandLine ? CommandLineText() : std::string(); }},
        {"executable", [&] { return FileName(program); }},
        {"current module",
         [&] {
             const std::string module = ReporterModule();
             return module != program ? module : std::string();
         }},
        {ReporterModule() == program ? "exec. date/time" : "module date/time",
         [] {
             struct stat info {};
             const std::string module = ReporterModule();
             return ::stat(module.c_str(), &info) == 0 ? TReportFormat::DateTime(LocalTime(info.st_mtime))
                                                       : std::string();
         }},
        {"version",
         [&] {
             if (settings_.versionText != nullptr && !settings_.versionText->empty())
                 return *settings_.versionText;
             // The program's file version is the product's, compiled in.
             return TReportFormat::Version(platform::kVersionMajor, platform::kVersionMinor,
                                           platform::kVersionPatch, platform::kVersionBuild);
         }},
        {"zorExcept version", [] { return std::string("2.7e"); }},
        {"exception class", [&] { return subject.frozen ? std::string() : subject.exception.className; }},
        {"exception message",
         [&] {
             if (subject.frozen) return settings_.frozenMessage;
             const std::string cleaned = TReportFormat::CleanMessage(subject.exception.message);
             return cleaned == subject.exception.className ? std::string()
                                                           : TReportFormat::MessageWithStop(cleaned);
         }},
    };
    std::string header;
    for (const auto& [label, value] : lines) {
        try {
            const std::string text = value();
            if (text.empty()) continue;
            if (!header.empty()) header += kLineEnd;
            header += TReportFormat::HeaderLine(label, text);
        } catch (...) {
            // The line is left out.
        }
    }
    return header;
}

std::string TBugReport::ThreadSections(const TReportSubject& subject) const {
    const pid_t main = ::getpid();
    std::string text;
    try {
        std::vector<pid_t> threads{subject.threadId};
        if (subject.threadId != main) threads.push_back(main);
        if (settings_.listAllThreads)
            for (const pid_t thread : ProcessThreads())
                if (thread != subject.threadId && thread != main) threads.push_back(thread);
        // Each thread's trace takes an equal share of the whole.
        const auto count = static_cast<int>(threads.size());
        for (int i = 0; i < count; ++i) {
            TTraceProgress progress;
            if (progress_)
                progress = [this, i, count](int permille) { progress_((i * 1000 + permille) / count); };
            text += ThreadSection(threads[static_cast<size_t>(i)], subject, progress);
        }
    } catch (...) {
        text += kSectionBreak + Note("GetThreadReport");
    }
    return text;
}

std::string TBugReport::ThreadSection(pid_t thread, const TReportSubject& subject,
                                      const TTraceProgress& progress) const {
    const TThreadRegistry::TTitle title = TThreadRegistry::Instance().ThreadTitle(thread);
    if (title.title.empty()) return {};
    std::string body;
    try {
        body = ThreadStack(thread, subject, title.creatorAddress, progress);
    } catch (...) {
        body = Note("GetThreadStack");
    }
    if (title.creatorAddress != 0 && body.rfind(">>", 0) != 0) {
        const size_t last = body.rfind(kLineEnd);
        const std::string createdBy =
            ">> created by " + TThreadRegistry::Instance().ThreadTitle(title.creatorThreadId, true).title +
            " at:";
        body = last == std::string::npos
                   ? createdBy + kLineEnd + body
                   : body.substr(0, last + 2) + createdBy + kLineEnd + body.substr(last + 2);
    }
    return kSectionBreak + title.title + ":" + ThreadMarks(thread) + kLineEnd + body;
}

std::string TBugReport::ThreadStack(pid_t thread, const TReportSubject& subject, uintptr_t creatorAddress,
                                    const TTraceProgress& progress) const {
    const bool faulting = thread == subject.threadId && !subject.frozen;
    std::optional<std::string> stack;
    if (faulting && subject.context != nullptr) {
        stack = TThreadTracer::TraceContext(subject.context->context, subject.context->threadPointer,
                                            StartOf(subject.context->kind), settings_.stackOptions, progress,
                                            creatorAddress);
    } else {
        stack = TThreadTracer::TraceThread(thread, settings_.stackOptions, progress, creatorAddress);
    }
    if (stack && *stack != TStackTracer::kNotAccessible) return *stack;
    std::string text = TStackTracer::kNotAccessible;
    if (faulting && subject.exceptionAddress != 0)
        text += std::string(", exception location: ") + kLineEnd +
                TReportFormat::CodeLocation(subject.exceptionAddress);
    return text;
}

std::string TBugReport::Modules() const {
    std::string text = "modules:";
    try {
        struct TRow {
            uintptr_t address;
            std::string name;
            std::string version;
            std::string folder;
        };
        std::vector<TRow> rows;
        size_t nameWidth = 0;
        size_t versionWidth = 0;
        for (const TModuleInfo* module : TModuleCache::Instance().Modules()) {
            // Only images mapped from a file; the kernel's vDSO has none.
            if (module->path.find('/') == std::string::npos) continue;
            TRow row{module->imageStart, module->fileName, ModuleVersion(module->path),
                     module->path.substr(0, module->path.find_last_of('/') + 1)};
            nameWidth = std::max(nameWidth, row.name.size());
            versionWidth = std::max(versionWidth, row.version.size());
            rows.push_back(std::move(row));
        }
        for (TRow& row : rows) {
            row.name.resize(nameWidth + 1, ' ');
            row.version.resize(versionWidth + 1, ' ');
            text +=
                kLineEnd + TReportFormat::Address(row.address) + " " + row.name + row.version + row.folder;
        }
    } catch (...) {
        text += kLineEnd + Note("GetModuleReport");
    }
    return text;
}

std::string TBugReport::Hardware() const {
    std::string text = "hardware:";
    try {
        std::map<std::string, std::vector<platform::TDeviceList::TDevice>, decltype(&CaseInsensitiveLess)>
            classes(&CaseInsensitiveLess);
        for (platform::TDeviceList::TDevice& device : platform::TDeviceList::Read())
            classes[device.className].push_back(std::move(device));
        for (auto& [name, devices] : classes) {
            text += std::string(kLineEnd) + "+ " + name;
            std::sort(devices.begin(), devices.end(),
                      [](const auto& a, const auto& b) { return CaseInsensitiveLess(a.name, b.name); });
            for (const platform::TDeviceList::TDevice& device : devices)
                text += std::string(kLineEnd) + "  - " + device.name +
                        (device.driver.empty() ? std::string() : " (driver " + device.driver + ")");
        }
    } catch (...) {
        text += kLineEnd + Note("GetHardwareList");
    }
    return text;
}

} // namespace qv::crash
