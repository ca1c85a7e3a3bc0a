#include "skin/archive/SkinItemNames.h"

#include <array>

namespace qv::skin {

namespace {

#define QV_SKIN2_NAME(name) #name,

constexpr std::array<const char*, SKIN2_COLOR_COUNT> kColorNames{QV_SKIN2_COLOR_ITEMS(QV_SKIN2_NAME)};
constexpr std::array<const char*, SKIN2_BITMAP_COUNT> kBitmapNames{QV_SKIN2_BITMAP_ITEMS(QV_SKIN2_NAME)};
constexpr std::array<const char*, SKIN2_INTEGER_COUNT> kIntegerNames{QV_SKIN2_INTEGER_ITEMS(QV_SKIN2_NAME)};
constexpr std::array<const char*, SKIN2_FLAG_COUNT> kFlagNames{QV_SKIN2_FLAG_ITEMS(QV_SKIN2_NAME)};

#undef QV_SKIN2_NAME

template <size_t N>
std::string NameAt(const std::array<const char*, N>& names, int index) {
    return index >= 0 && static_cast<size_t>(index) < N ? names[static_cast<size_t>(index)] : "";
}

} // namespace

std::string SkinItemName(TSkin2Color index) {
    return NameAt(kColorNames, index);
}

std::string SkinItemName(TSkin2Bitmap index) {
    return NameAt(kBitmapNames, index);
}

std::string SkinItemName(TSkin2Integer index) {
    return NameAt(kIntegerNames, index);
}

std::string SkinItemName(TSkin2Flag index) {
    return NameAt(kFlagNames, index);
}

} // namespace qv::skin
