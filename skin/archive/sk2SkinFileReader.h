#pragma once

#include "framework/StringList.h"
#include "skin/archive/Sk2Format.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace qv::skin {

// The pixels of all bitmaps of one skin together; a skin that claims more is refused before its
// pictures are made, however few bytes its archive takes.
inline constexpr int64_t kMaxSkinPixels = 16 * 1024 * 1024;

// Reads a skin archive: extracts its skin data to a private temporary file, parses the entry
// records and keeps the items for lookup by name (letter case ignored, first occurrence wins).
class Tsk2SkinFileReader {
public:
    struct TBitmapItem {
        std::string name;
        QImage bitmap;
    };
    // One loaded item in file order: its kind and its position in that kind's list.
    struct TItem {
        TSk2ItemKind kind;
        std::string name;
        int index;
    };

    // Raises framework::Exception "Failed to read skin file!" when the archive can't be read;
    // returns with SkinLoaded() false when the member is encrypted and the password is missing
    // or wrong.
    Tsk2SkinFileReader(const std::string& fileName, const std::string& password);
    Tsk2SkinFileReader(const Tsk2SkinFileReader&) = delete;
    Tsk2SkinFileReader& operator=(const Tsk2SkinFileReader&) = delete;

    bool SkinLoaded() const { return skinLoaded_; }

    // The bitmap stored under the name, owned by the reader; nullptr when there is none.
    const QImage* GetBitmap(const std::string& name) const;
    // -1 when the name is absent or its value doesn't parse.
    int32_t GetInteger(const std::string& name) const;
    // True when the stored flag byte is non-zero; false when the name is absent.
    bool GetBool(const std::string& name) const;

    const std::vector<TBitmapItem>& Bitmaps() const { return bitmaps_; }
    // Lines "name=value" in file order.
    const framework::TStringList& Integers() const { return integers_; }
    const framework::TStringList& Flags() const { return flags_; }
    const framework::TStringList& Texts() const { return texts_; }
    const std::vector<TItem>& Items() const { return items_; }

private:
    void Load(const std::string& fileName, const std::string& password);
    void ParseSkinData(const std::string& dataFileName);
    void AddItem(TSk2ItemKind kind, const std::string& name, const std::string& payload);

    bool skinLoaded_ = false;
    std::vector<TBitmapItem> bitmaps_;
    int64_t pixels_ = 0;
    framework::TStringList integers_;
    framework::TStringList flags_;
    framework::TStringList texts_;
    std::vector<TItem> items_;
};

} // namespace qv::skin
