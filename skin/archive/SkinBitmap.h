#pragma once

#include <QImage>

#include <string_view>

namespace qv::skin {

// Pictures larger than this are refused, which bounds what one bitmap item may allocate.
inline constexpr int64_t kMaxSkinBitmapPixels = 16 * 1024 * 1024;

// Makes a picture from a complete Windows BMP file. The headers are checked against the data
// before any decoding: sizes, offsets, palette and pixel rows must lie inside it, and the picture
// may have at most maxPixels pixels. Returns a null image for anything that does not fit or does
// not decode.
QImage DecodeSkinBitmap(std::string_view file, int64_t maxPixels = kMaxSkinBitmapPixels);

} // namespace qv::skin
