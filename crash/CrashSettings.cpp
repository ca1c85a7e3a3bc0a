#include "crash/CrashSettings.h"

namespace qv::crash {

CrashSettings CrashSettings::ThisBuild() {
    CrashSettings settings;
    settings.disassembler = &TDisassembler::Disassemble;
    return settings;
}

} // namespace qv::crash
