// The item list of a skin: the header and the chain of entry records with their payloads, as
// the reader walks them in the skin data it has extracted. The input is the skin data; the
// target packs it into an archive. Every item found is looked up by its name in any letter
// case, the first of a name winning; pictures stay within the pixel budget.
#include "framework/Conversions.h"
#include "framework/Exception.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/TempDirectory.h"
#include "skin/archive/SkinBitmap.h"
#include "skin/archive/sk2SkinFileReader.h"
#include "skin/writer/SkinArchiveWriter.h"

#include <QImage>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    static const fuzz::TempDirectory folder;
    skin::TSkinArchiveOptions options;
    options.store = true;
    const std::string archive = folder.Write(
        "input.ssk", skin::BuildSkinArchive(std::string(reinterpret_cast<const char*>(data), size), options));
    try {
        const skin::Tsk2SkinFileReader reader(archive, "");
        fuzz::Require(reader.SkinLoaded(), "skin data that is read to its end is loaded");
        for (const auto& item : reader.Items()) {
            const std::string lower = framework::LowerCase(item.name);
            switch (item.kind) {
            case skin::TSk2ItemKind::Bitmap: {
                const QImage& bitmap = reader.Bitmaps()[static_cast<size_t>(item.index)].bitmap;
                fuzz::Require(int64_t{bitmap.width()} * bitmap.height() <= skin::kMaxSkinBitmapPixels,
                              "a picture stays within the pixel budget");
                fuzz::Require(reader.GetBitmap(lower) != nullptr, "a picture is found by its name");
                break;
            }
            case skin::TSk2ItemKind::Integer:
                if (item.name.find('=') == std::string::npos)
                    fuzz::Require(reader.GetInteger(lower) == reader.GetInteger(item.name),
                                  "an integer is found by its name in any case");
                break;
            case skin::TSk2ItemKind::Flag:
            case skin::TSk2ItemKind::Text:
                break;
            }
        }
    } catch (const framework::Exception& e) {
        fuzz::Require(e.Message() == "Failed to read skin file!", "a failed load says so");
    }
    fuzz::Require(folder.FileCount() == 1, "no temporary file stays behind");
    return 0;
}
