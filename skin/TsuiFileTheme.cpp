#include "skin/TsuiFileTheme.h"

#include "framework/gui/Form.h"
#include "skin/ThemeProperties.h"

#include <QPointer>
#include <QVariant>

#include <filesystem>
#include <vector>

namespace qv::skin {

namespace {

namespace fs = std::filesystem;

bool FileExists(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The part after the last path separator; a path may carry either kind.
std::string FileNamePart(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

fs::path ProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

// The path as given, else the file of that name in the program's folder; empty when neither exists.
std::string FindThemeFile(const std::string& path) {
    if (path.empty()) return {};
    if (FileExists(path)) return path;
    const std::string name = FileNamePart(path);
    const fs::path folder = ProgramFolder();
    if (!name.empty() && !folder.empty() && FileExists(folder / name)) return (folder / name).string();
    return {};
}

} // namespace

TsuiFileTheme::TsuiFileTheme(framework::TComponent* owner) : framework::TComponent(owner) {}

void TsuiFileTheme::SetPassword(const std::string& password) {
    password_ = password;
    if (!password_.empty()) LoadThemeFile(themeFile_);
}

void TsuiFileTheme::LoadThemeFile(const std::string& fileName) {
    const std::string found = FindThemeFile(fileName);
    if (found.empty()) return;
    themeFile_ = found;
    Loaded(mgr_.LoadFromFile(found, password_));
}

void TsuiFileTheme::LoadThemeData(const std::string& archive) {
    framework::TMemoryStream stream(archive);
    Loaded(mgr_.LoadFromStream(stream, password_));
}

void TsuiFileTheme::Loaded(bool ready) {
    ready_ = ready;
    if (ready_) RefreshOwnerControls();
}

void TsuiFileTheme::RefreshOwnerControls() {
    if (!dynamic_cast<framework::TForm*>(Owner())) return;
    // Handing a control its theme again may create or free components; collect the controls first.
    std::vector<QPointer<QObject>> controls;
    for (framework::TComponent* component : Owner()->Components()) {
        auto* object = dynamic_cast<QObject*>(component);
        if (object && ShortClassName(object->metaObject()).starts_with("Tsui") &&
            ReadFileTheme(object) == this)
            controls.emplace_back(object);
    }
    for (const QPointer<QObject>& control : controls) {
        if (!control) continue;
        WriteFileTheme(control, nullptr);
        WriteFileTheme(control, this);
    }
}

TsuiFileTheme* ReadFileTheme(const QObject* object) {
    return PublishesFileTheme(object) ? object->property(kFileThemeProperty).value<TsuiFileTheme*>()
                                      : nullptr;
}

void WriteFileTheme(QObject* object, TsuiFileTheme* theme) {
    if (PublishesFileTheme(object)) object->setProperty(kFileThemeProperty, QVariant::fromValue(theme));
}

} // namespace qv::skin
