#include "skin/TsuiFileThemeMgr.h"

#include "skin/StripFrame.h"
#include "skin/archive/sk2SkinFileReader.h"

#include <filesystem>

namespace qv::skin {

TsuiFileThemeMgr::TsuiFileThemeMgr() = default;
TsuiFileThemeMgr::~TsuiFileThemeMgr() = default;

bool TsuiFileThemeMgr::LoadFromFile(const std::string& fileName, const std::string& password) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) return false;
    return Load(fileName, password);
}

bool TsuiFileThemeMgr::LoadFromStream(framework::TStream& archive, const std::string& password) {
    return Load(archive, password);
}

template <typename Source>
bool TsuiFileThemeMgr::Load(Source& source, const std::string& password) {
    reader_.reset();
    try {
        auto reader = std::make_unique<Tsk2SkinFileReader>(source, password);
        if (!reader->SkinLoaded()) return false;
        reader_ = std::move(reader);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

const QImage* TsuiFileThemeMgr::GetBitmap(TSkin2Bitmap index) const {
    return reader_ ? reader_->GetBitmap(index) : nullptr;
}

bool TsuiFileThemeMgr::GetBitmap(TSkin2Bitmap index, QImage& target, int frameIndex, int frameCount) const {
    const QImage* picture = GetBitmap(index);
    if (!picture) return false;
    if (frameIndex == 0 || frameCount == 0) {
        target = *picture;
        return true;
    }
    return CopyStripFrame(*picture, frameIndex, frameCount, target);
}

framework::TColor TsuiFileThemeMgr::GetColor(TSkin2Color index) const {
    return reader_ ? static_cast<framework::TColor>(reader_->GetInteger(index)) : 0;
}

int32_t TsuiFileThemeMgr::GetInt(TSkin2Integer index) const {
    return reader_ ? reader_->GetInteger(index) : 0;
}

bool TsuiFileThemeMgr::GetBool(TSkin2Flag index) const {
    return reader_ && reader_->GetBool(index);
}

} // namespace qv::skin
