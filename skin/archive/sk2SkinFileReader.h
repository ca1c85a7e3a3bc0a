#pragma once

#include "framework/Stream.h"
#include "skin/archive/Sk2Format.h"
#include "skin/archive/SkinItemNames.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::skin {

// The pixels of all bitmaps of one skin together; a skin that claims more is refused before its
// pictures are made, however few bytes its archive takes.
inline constexpr int64_t kMaxSkinPixels = 16 * 1024 * 1024;

// Reads a skin archive, from a file or from any stream, entirely in memory: inflates its skin
// data, parses the entry records and keeps every item in file order, and the items of the skin
// item table where the engine asks for them by index (the first item of a name, in any letter
// case, wins).
class Tsk2SkinFileReader {
public:
    // One loaded item in file order.
    struct TItem {
        TSk2ItemKind kind = TSk2ItemKind::Bitmap;
        std::string name;
        // The integer, or the flag byte (0 to 255).
        int32_t value = 0;
        std::string text;
        QImage bitmap;
    };

    // Raise framework::Exception "Failed to read skin file!" when the archive can't be read;
    // return with SkinLoaded() false when the member is encrypted and the password is missing
    // or wrong.
    Tsk2SkinFileReader(const std::string& fileName, const std::string& password);
    Tsk2SkinFileReader(framework::TStream& archive, const std::string& password);
    Tsk2SkinFileReader(const Tsk2SkinFileReader&) = delete;
    Tsk2SkinFileReader& operator=(const Tsk2SkinFileReader&) = delete;

    bool SkinLoaded() const { return skinLoaded_; }

    // The bitmap item, owned by the reader; nullptr when the skin has none.
    const QImage* GetBitmap(TSkin2Bitmap index) const;
    // The integer item of either group; -1 when the skin has none.
    int32_t GetInteger(TSkin2Color index) const;
    int32_t GetInteger(TSkin2Integer index) const;
    // True when the flag byte is non-zero; false when the skin has no such flag.
    bool GetBool(TSkin2Flag index) const;

    const std::vector<TItem>& Items() const { return items_; }

private:
    void Load(framework::TStream& archive, const std::string& password);
    void ParseSkinData(std::string_view data);
    void AddItem(TSk2ItemKind kind, std::string name, std::string_view payload);

    bool skinLoaded_ = false;
    int64_t pixels_ = 0;
    std::vector<TItem> items_;
    std::array<std::optional<QImage>, SKIN2_BITMAP_COUNT> bitmaps_;
    std::array<std::optional<int32_t>, SKIN2_COLOR_COUNT> colors_;
    std::array<std::optional<int32_t>, SKIN2_INTEGER_COUNT> integers_;
    std::array<std::optional<bool>, SKIN2_FLAG_COUNT> flags_;
};

} // namespace qv::skin
