// Skin bitmaps: a Windows BMP file as a bitmap item's payload. A picture is made only when the
// headers fit the data, and it has the size the headers give, within the pixel budget.
#include "fuzz/support/FuzzInput.h"
#include "skin/archive/LittleEndian.h"
#include "skin/archive/SkinBitmap.h"

#include <QImage>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const QImage image = skin::DecodeSkinBitmap(std::string_view(reinterpret_cast<const char*>(data), size));
    if (image.isNull()) return 0;
    fuzz::Require(size >= 26, "a picture has a file header and an information header");
    const bool core = skin::ReadU32(data + 14) == 12;
    const int64_t width = core ? skin::ReadU16(data + 18) : static_cast<int32_t>(skin::ReadU32(data + 18));
    const int64_t height =
        core ? skin::ReadU16(data + 20) : std::llabs(static_cast<int32_t>(skin::ReadU32(data + 22)));
    fuzz::Require(image.width() == width && image.height() == height, "the picture has the headers' size");
    fuzz::Require(width * height <= skin::kMaxSkinBitmapPixels, "a picture stays within the pixel budget");
    return 0;
}
