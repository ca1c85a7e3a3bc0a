#pragma once

#include "framework/Stream.h"
#include "framework/gui/TColor.h"
#include "skin/archive/SkinItemNames.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <string>

namespace qv::skin {

class Tsk2SkinFileReader;

// Holds the one skin reader of a file theme and answers its lookups by item index. Without a
// loaded skin the lookups yield no bitmap, 0, 0 and false; with one, an absent item yields no
// bitmap, -1, -1 and false.
class TsuiFileThemeMgr {
public:
    TsuiFileThemeMgr();
    ~TsuiFileThemeMgr();
    TsuiFileThemeMgr(const TsuiFileThemeMgr&) = delete;
    TsuiFileThemeMgr& operator=(const TsuiFileThemeMgr&) = delete;

    // False, keeping the current skin, when the file doesn't exist. Otherwise the current skin is
    // dropped, and the new one kept only when it loads completely.
    bool LoadFromFile(const std::string& fileName, const std::string& password);
    // Drops the current skin and keeps the one the stream holds when it loads completely.
    bool LoadFromStream(framework::TStream& archive, const std::string& password);
    bool Loaded() const { return reader_ != nullptr; }

    // The skin's own picture, shared: callers copy it and never keep the pointer past a reload.
    const QImage* GetBitmap(TSkin2Bitmap index) const;
    // Copies the whole picture when either number is 0, else that frame of the strip; false and
    // the target unchanged when there is no such picture or frame.
    bool GetBitmap(TSkin2Bitmap index, QImage& target, int frameIndex, int frameCount) const;
    framework::TColor GetColor(TSkin2Color index) const;
    int32_t GetInt(TSkin2Integer index) const;
    bool GetBool(TSkin2Flag index) const;

private:
    template <typename Source>
    bool Load(Source& source, const std::string& password);

    std::unique_ptr<Tsk2SkinFileReader> reader_;
};

} // namespace qv::skin
