// The item list of a skin: the header and the chain of entry records with their payloads, as
// the reader walks them in the skin data it has inflated. The input is the skin data; the
// target packs it into an archive held in memory. Every item of the engine's table is found by
// its index with the value of the first item of its name in any letter case and of its group's
// kind; every other index yields the default; pictures stay within the pixel budget.
#include "framework/Exception.h"
#include "framework/Stream.h"
#include "fuzz/support/FuzzInput.h"
#include "skin/archive/SkinItemNames.h"
#include "skin/archive/sk2SkinFileReader.h"
#include "skin/writer/SkinArchiveWriter.h"

#include <QImage>

#include <set>
#include <utility>

using namespace qv;

namespace {

using skin::TSk2ItemKind;
using skin::TSkin2Group;

// The table group an item of that kind may stand for under its name.
bool KindFits(TSk2ItemKind kind, TSkin2Group group) {
    switch (kind) {
    case TSk2ItemKind::Bitmap:
        return group == TSkin2Group::Bitmap;
    case TSk2ItemKind::Integer:
        return group == TSkin2Group::Color || group == TSkin2Group::Integer;
    case TSk2ItemKind::Flag:
        return group == TSkin2Group::Flag;
    case TSk2ItemKind::Text:
        return false;
    }
    return false;
}

// Whether the reader gives, by index, what the item holds; or the default when item is null.
bool LookupGives(const skin::Tsk2SkinFileReader& reader, skin::TSkin2Item known,
                 const skin::Tsk2SkinFileReader::TItem* item) {
    switch (known.group) {
    case TSkin2Group::Bitmap: {
        const QImage* bitmap = reader.GetBitmap(static_cast<skin::TSkin2Bitmap>(known.index));
        return item ? bitmap && *bitmap == item->bitmap : bitmap == nullptr;
    }
    case TSkin2Group::Color:
        return reader.GetInteger(static_cast<skin::TSkin2Color>(known.index)) == (item ? item->value : -1);
    case TSkin2Group::Integer:
        return reader.GetInteger(static_cast<skin::TSkin2Integer>(known.index)) == (item ? item->value : -1);
    case TSkin2Group::Flag:
        return reader.GetBool(static_cast<skin::TSkin2Flag>(known.index)) == (item && item->value != 0);
    }
    return false;
}

void CheckItems(const skin::Tsk2SkinFileReader& reader) {
    std::set<std::pair<TSkin2Group, int>> found;
    int64_t pixels = 0;
    for (const auto& item : reader.Items()) {
        pixels += int64_t{item.bitmap.width()} * item.bitmap.height();
        const auto known = skin::FindSkinItem(item.name);
        if (!known || !KindFits(item.kind, known->group) ||
            !found.insert({known->group, known->index}).second)
            continue;
        fuzz::Require(LookupGives(reader, *known, &item), "the first item of a name is found by its index");
    }
    fuzz::Require(pixels <= skin::kMaxSkinPixels, "pictures stay within the pixel budget");
    const std::pair<TSkin2Group, int> groups[] = {{TSkin2Group::Color, skin::SKIN2_COLOR_COUNT},
                                                  {TSkin2Group::Bitmap, skin::SKIN2_BITMAP_COUNT},
                                                  {TSkin2Group::Integer, skin::SKIN2_INTEGER_COUNT},
                                                  {TSkin2Group::Flag, skin::SKIN2_FLAG_COUNT}};
    for (const auto& [group, count] : groups)
        for (int index = 0; index < count; ++index)
            if (!found.contains({group, index}))
                fuzz::Require(LookupGives(reader, {group, index}, nullptr),
                              "an absent item yields the default");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    skin::TSkinArchiveOptions options;
    options.store = true;
    framework::TMemoryStream archive(
        skin::BuildSkinArchive(std::string(reinterpret_cast<const char*>(data), size), options));
    try {
        const skin::Tsk2SkinFileReader reader(archive, "");
        fuzz::Require(reader.SkinLoaded(), "skin data that is read to its end is loaded");
        CheckItems(reader);
    } catch (const framework::Exception& e) {
        fuzz::Require(e.Message() == "Failed to read skin file!", "a failed load says so");
    }
    return 0;
}
