#include "skin/archive/SkinItemNames.h"

#include "framework/Conversions.h"

#include <array>
#include <unordered_map>

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

template <size_t N>
void AddGroup(std::unordered_map<std::string, TSkin2Item>& items, const std::array<const char*, N>& names,
              TSkin2Group group) {
    for (size_t i = 0; i < N; ++i)
        items.emplace(names[i], TSkin2Item{group, static_cast<int>(i)});
}

// The table by upper-case name, as the names are spelled there.
const std::unordered_map<std::string, TSkin2Item>& ItemsByName() {
    static const auto items = [] {
        std::unordered_map<std::string, TSkin2Item> all;
        AddGroup(all, kColorNames, TSkin2Group::Color);
        AddGroup(all, kBitmapNames, TSkin2Group::Bitmap);
        AddGroup(all, kIntegerNames, TSkin2Group::Integer);
        AddGroup(all, kFlagNames, TSkin2Group::Flag);
        return all;
    }();
    return items;
}

} // namespace

std::optional<TSkin2Item> FindSkinItem(std::string_view name) {
    const auto& items = ItemsByName();
    const auto found = items.find(framework::UpperCase(std::string(name)));
    if (found == items.end()) return std::nullopt;
    return found->second;
}

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
