// quorvane-skin-demo [STYLE]: shows a skinned window with every skinned control; STYLE is one of
// MacOS, WinXP, DeepBlue, Protein or BlueGlass, and without it the window wears the embedded skin.

#include "framework/gui/Fonts.h"
#include "skin/demo/SkinDemoWindow.h"

#include <QApplication>

#include <algorithm>
#include <array>
#include <cstring>
#include <iostream>

using qv::skin::TsuiUIStyle;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
    qv::framework::InitializeFonts();
    constexpr std::array<const char*, 6> kNames = {"FromThemeFile", "MacOS",   "WinXP",
                                                   "DeepBlue",      "Protein", "BlueGlass"};
    TsuiUIStyle style = TsuiUIStyle::FromThemeFile;
    if (argc > 2) {
        std::cerr << "usage: quorvane-skin-demo [MacOS|WinXP|DeepBlue|Protein|BlueGlass]\n";
        return 2;
    }
    if (argc == 2) {
        const auto* found = std::find_if(kNames.begin(), kNames.end(), [argv](const char* name) {
            return std::strcmp(name, argv[1]) == 0;
        });
        if (found == kNames.end()) {
            std::cerr << "quorvane-skin-demo: unknown style " << argv[1] << '\n';
            return 2;
        }
        style = static_cast<TsuiUIStyle>(found - kNames.begin());
    }
    qv::skin::TSkinDemoWindow window;
    window.SetStyle(style);
    window.show();
    return QApplication::exec();
}
