#pragma once

#include "framework/Component.h"
#include "skin/TsuiFileThemeMgr.h"

#include <QMetaType>
#include <QObject>

#include <string>

namespace qv::skin {

// A loaded skin that skinned controls refer to through their FileTheme. Ready while a skin is
// loaded; a load that fails is silent and leaves the theme not ready, so its controls draw
// with DeepBlue.
class TsuiFileTheme : public framework::TComponent {
public:
    explicit TsuiFileTheme(framework::TComponent* owner = nullptr);

    virtual const std::string& ThemeFile() const { return themeFile_; }
    // Finds the file (as given, else by its file name in the program's folder) and loads it.
    // A file found nowhere changes nothing; after a load every control of the owner form that
    // uses this theme is handed it again, so that it reads the new skin.
    virtual void SetThemeFile(const std::string& fileName) { LoadThemeFile(fileName); }

    const std::string& Password() const { return password_; }
    // A non-empty password loads the current file again with it.
    void SetPassword(const std::string& password);

    bool Ready() const { return ready_; }

    const QImage* GetBitmap(TSkin2Bitmap index) const { return mgr_.GetBitmap(index); }
    bool GetBitmap(TSkin2Bitmap index, QImage& target, int frameIndex, int frameCount) const {
        return mgr_.GetBitmap(index, target, frameIndex, frameCount);
    }
    framework::TColor GetColor(TSkin2Color index) const { return mgr_.GetColor(index); }
    int32_t GetInt(TSkin2Integer index) const { return mgr_.GetInt(index); }
    bool GetBool(TSkin2Flag index) const { return mgr_.GetBool(index); }

protected:
    void LoadThemeFile(const std::string& fileName);
    // Loads the skin archive held in memory; ThemeFile stays as it is.
    void LoadThemeData(const std::string& archive);

private:
    // Takes the outcome of a load; a skin that loaded is handed to the owner form's controls.
    void Loaded(bool ready);
    void RefreshOwnerControls();

    std::string themeFile_;
    std::string password_;
    bool ready_ = false;
    TsuiFileThemeMgr mgr_;
};

} // namespace qv::skin

// Lets controls publish their theme reference as a Qt property.
Q_DECLARE_METATYPE(qv::skin::TsuiFileTheme*)

namespace qv::skin {

// The theme a control publishes as FileTheme; none when it publishes none.
TsuiFileTheme* ReadFileTheme(const QObject* object);
// Sets a control's FileTheme; a control that publishes none is left alone.
void WriteFileTheme(QObject* object, TsuiFileTheme* theme);

} // namespace qv::skin
