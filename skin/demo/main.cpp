// quorvane-skin-demo [STYLE]: shows a skinned window with every skinned control; STYLE is one of
// MacOS, WinXP, DeepBlue, Protein or BlueGlass, and without it the window wears the embedded skin.

#include "framework/CommandLine.h"
#include "framework/gui/Fonts.h"
#include "skin/demo/SkinDemoWindow.h"

#include <QApplication>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

using qv::skin::TsuiUIStyle;

namespace {

constexpr const char* kProgram = "quorvane-skin-demo";
constexpr const char* kUsage = "usage: quorvane-skin-demo [MacOS|WinXP|DeepBlue|Protein|BlueGlass]\n"
                               "       quorvane-skin-demo --help | --version\n";

} // namespace

int main(int argc, char** argv) {
    using qv::framework::TOptionValue;
    int exitCode = 0;
    // Read before Qt starts, so that --help and --version need no display; Qt takes its own
    // options from the command line afterwards.
    const auto line = qv::framework::ReadToolCommandLine(argc, argv,
                                                         {{"-platform", TOptionValue::Required},
                                                          {"-display", TOptionValue::Required},
                                                          {"-style", TOptionValue::Required},
                                                          {"-reverse", TOptionValue::None}},
                                                         kProgram, kUsage, exitCode);
    if (!line) return exitCode;
    if (line->Operands().size() > 1)
        return qv::framework::RefuseCommandLine(kProgram, "one STYLE at most", kUsage);
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
    qv::framework::InitializeFonts();
    constexpr std::array<const char*, 6> kNames = {"FromThemeFile", "MacOS",   "WinXP",
                                                   "DeepBlue",      "Protein", "BlueGlass"};
    TsuiUIStyle style = TsuiUIStyle::FromThemeFile;
    if (!line->Operands().empty()) {
        const std::string& name = line->Operands().front();
        const auto* found = std::find(kNames.begin(), kNames.end(), name);
        if (found == kNames.end())
            return qv::framework::RefuseCommandLine(kProgram, "unknown style " + name, kUsage);
        style = static_cast<TsuiUIStyle>(found - kNames.begin());
    }
    qv::skin::TSkinDemoWindow window;
    window.SetStyle(style);
    window.show();
    return QApplication::exec();
}
