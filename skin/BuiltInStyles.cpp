#include "skin/BuiltInStyles.h"

#include "skin/SkinResources.h"
#include "skin/StripFrame.h"

#include <array>
#include <string>

namespace qv::skin {

namespace {

enum class TRowKind { Integer, Color, Bitmap, Flag };

struct TRowEntry {
    TRowKind kind;
    std::array<int64_t, 5> values;
    std::array<const char*, 5> bitmaps;
};

constexpr TRowEntry Int(int64_t macOS, int64_t winXP, int64_t deepBlue, int64_t protein, int64_t blueGlass) {
    return {TRowKind::Integer, {macOS, winXP, deepBlue, protein, blueGlass}, {}};
}

constexpr TRowEntry Color(int64_t macOS, int64_t winXP, int64_t deepBlue, int64_t protein,
                          int64_t blueGlass) {
    return {TRowKind::Color, {macOS, winXP, deepBlue, protein, blueGlass}, {}};
}

constexpr TRowEntry Flag(int64_t macOS, int64_t winXP, int64_t deepBlue, int64_t protein, int64_t blueGlass) {
    return {TRowKind::Flag, {macOS, winXP, deepBlue, protein, blueGlass}, {}};
}

// A row whose resource names are the style prefixes followed by the suffix; "MORE" stands in
// for styles that share a picture.
constexpr TRowEntry Bitmap(const char* macOS, const char* winXP, const char* deepBlue, const char* protein,
                           const char* blueGlass) {
    return {TRowKind::Bitmap, {}, {macOS, winXP, deepBlue, protein, blueGlass}};
}

constexpr TRowEntry NoBitmap() {
    return {TRowKind::Bitmap, {}, {}};
}

#define QV_STYLE_BITMAP(suffix)                                                                              \
    Bitmap("MACOS_" suffix, "WINXP_" suffix, "DEEPBLUE_" suffix, "PROTEIN_" suffix, "BLUEGLASS_" suffix)

constexpr std::array<TRowEntry, kStyleRowCount> kRows = {
    QV_STYLE_BITMAP("BUTTON"),                               // 1
    Flag(1, 0, 0, 0, 1),                                     // 2
    QV_STYLE_BITMAP("CHECKBOX"),                             // 3
    QV_STYLE_BITMAP("RADIOBUTTON"),                          // 4
    QV_STYLE_BITMAP("TITLEBTN"),                             // 5
    Flag(0, 0, 0, 1, 1),                                     // 6
    Int(3, 2, 0, 0, 4),                                      // 7
    Int(-2, -2, 0, 0, -3),                                   // 8
    Int(4, 5, 2, 2, 6),                                      // 9
    QV_STYLE_BITMAP("TITLE_LEFT"),                           // 10
    QV_STYLE_BITMAP("TITLE_CLIENT"),                         // 11
    QV_STYLE_BITMAP("TITLE_RIGHT"),                          // 12
    Int(130, 150, 130, 130, 270),                            // 13
    Int(0, 13, 0, 0, 11),                                    // 14
    Color(0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7), // 15
    Color(0x7F7F7F, 0xC82C00, 0x000000, 0x000000, 0x000000), // 16
    Int(1, 3, 1, 1, 1),                                      // 17
    Color(0xC47339, 0xC66931, 0xA04A44, 0xC4302D, 0xEC5E5E), // 18
    Color(0xC47339, 0xEFD3C6, 0xA04A44, 0xC4302D, 0xEC5E5E), // 19
    Color(0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF), // 20
    Color(0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xE7E7E7), // 21
    Color(0x000000, 0x000000, 0x000000, 0x000000, 0x000000), // 22
    Color(0x000000, 0xCED3D6, 0xCED3D6, 0xCED3D6, 0xCED3D6), // 23
    QV_STYLE_BITMAP("PROGRESSBAR"),                          // 24
    Color(0x7F7F7F, 0x686868, 0x000000, 0x000000, 0x000000), // 25
    Color(0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7), // 26
    Color(0x000000, 0xCF4602, 0x000000, 0x000000, 0x000000), // 27
    QV_STYLE_BITMAP("TRACKBAR_BAR"),                         // 28
    QV_STYLE_BITMAP("TRACKBAR_SLIDER"),                      // 29
    QV_STYLE_BITMAP("TRACKBAR_SLIDER_V"),                    // 30
    Color(0xC9C9C9, 0xF9F9F9, 0xF5F5F5, 0xF5F5F5, 0xF4F4F4), // 31
    QV_STYLE_BITMAP("SCROLLBAR_BUTTON"),                     // 32
    QV_STYLE_BITMAP("SCROLLBAR_TRACK"),                      // 33
    QV_STYLE_BITMAP("CHECKLIST"),                            // 34
    Color(0x474747, 0xC66931, 0x474747, 0x474747, 0x474747), // 35
    Color(0xEFEFEF, 0xEFD3C6, 0xEFEFEF, 0xEFEFEF, 0xEFEFEF), // 36
    Color(0xD8D8D8, 0xE1AC93, 0xD8D8D8, 0xD8D8D8, 0xD8D8D8), // 37
    Bitmap("MACOS_SCROLLBUTTON", "WINXP_SCROLLBUTTON", "MORE_SCROLLBUTTON", "MORE_SCROLLBUTTON",
           "MORE_SCROLLBUTTON"),                             // 38
    QV_STYLE_BITMAP("TAB"),                                  // 39
    QV_STYLE_BITMAP("TAB_LINE"),                             // 40
    QV_STYLE_BITMAP("SIDECHENNEL_HANDLE"),                   // 41
    QV_STYLE_BITMAP("SIDECHENNEL_BAR"),                      // 42
    NoBitmap(),                                              // 43
    Color(0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF), // 44
    NoBitmap(),                                              // 45
    NoBitmap(),                                              // 46
    Int(0, 0, 0, 0, 0),                                      // 47
    Color(0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7), // 48
};

#undef QV_STYLE_BITMAP

// The row for a built-in style and its column, or nullptr.
const TRowEntry* Find(TsuiUIStyle style, TStyleRow row, TRowKind kind, size_t& column) {
    const int index = static_cast<int>(style);
    const int number = static_cast<int>(row);
    if (index < 1 || index > 5 || number < 1 || number > kStyleRowCount) return nullptr;
    const TRowEntry& entry = kRows[static_cast<size_t>(number - 1)];
    if (entry.kind != kind) return nullptr;
    column = static_cast<size_t>(index - 1);
    return &entry;
}

} // namespace

bool GetStyleBitmap(TsuiUIStyle style, TStyleRow row, QImage& target, int frameIndex, int frameCount) {
    size_t column = 0;
    const TRowEntry* entry = Find(style, row, TRowKind::Bitmap, column);
    if (!entry || !entry->bitmaps[column]) return false;
    const QImage picture = StyleResource(entry->bitmaps[column]);
    if (picture.isNull()) return false;
    if (frameCount == 0) {
        target = picture;
        return true;
    }
    return CopyStripFrame(picture, frameIndex, frameCount, target);
}

framework::TColor GetStyleColor(TsuiUIStyle style, TStyleRow row) {
    size_t column = 0;
    const TRowEntry* entry = Find(style, row, TRowKind::Color, column);
    return entry ? static_cast<framework::TColor>(entry->values[column]) : 0;
}

int32_t GetStyleInt(TsuiUIStyle style, TStyleRow row) {
    size_t column = 0;
    const TRowEntry* entry = Find(style, row, TRowKind::Integer, column);
    return entry ? static_cast<int32_t>(entry->values[column]) : -1;
}

bool GetStyleBool(TsuiUIStyle style, TStyleRow row) {
    size_t column = 0;
    const TRowEntry* entry = Find(style, row, TRowKind::Flag, column);
    return entry && entry->values[column] != 0;
}

} // namespace qv::skin
