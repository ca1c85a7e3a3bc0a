#include "skin/generator/EmbeddedSkin.h"

#include "framework/gui/TColor.h"
#include "skin/generator/ControlPictures.h"
#include "skin/generator/PictureKit.h"
#include "skin/generator/TitlePictures.h"
#include "skin/writer/SkinDataBuilder.h"

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace qv::skin::generator {

namespace {

struct TPicture {
    const char* name;
    int width;
    int height;
    std::function<QImage(const TLook&)> draw;
};

QImage MinimizedTitle(const TLook& look) {
    TLook small = look;
    small.titleHeight = 27;
    QImage title = NewPicture(160, 27, look.titleEdge);
    QPainter painter(&title);
    painter.drawImage(0, 0, TitleSection(small, 80, TTitleEnd::Left));
    painter.drawImage(80, 0, TitleSection(small, 80, TTitleEnd::Right));
    return title;
}

QImage Edge(const TLook& look, int w, int h) {
    return NewPicture(w, h, look.titleEdge);
}

const std::vector<TPicture>& Pictures() {
    static const std::vector<TPicture> pictures{
        {"SKIN2_TITLEBAR1", 58, 48, [](const TLook& l) { return TitleSection(l, 58, TTitleEnd::Left); }},
        {"SKIN2_TITLEBAR2", 57, 48, [](const TLook& l) { return TitleSection(l, 57, TTitleEnd::Middle); }},
        {"SKIN2_TITLEBAR3", 176, 48, [](const TLook& l) { return TitleSection(l, 176, TTitleEnd::Right); }},
        {"SKIN2_FORMLEFTBORDER", 1, 20, [](const TLook& l) { return Edge(l, 1, 20); }},
        {"SKIN2_FORMRIGHTBORDER", 1, 20, [](const TLook& l) { return Edge(l, 1, 20); }},
        {"SKIN2_FORMBOTTOMBORDER1", 100, 1, [](const TLook& l) { return Edge(l, 100, 1); }},
        {"SKIN2_MINIMIZEDTITLE", 160, 27, MinimizedTitle},
        {"SKIN2_TITLEBUTTONS", 342, 19, TitleButtons},
        {"SKIN2_CHECKEDMENUICON", 16, 16, [](const TLook& l) { return CheckMark(16, l.accent, Qt::white); }},
        {"SKIN2_BUTTON", 204, 25, [](const TLook& l) { return ButtonFaces(l, 68, 25); }},
        {"SKIN2_CHECKBOX", 90, 15, [](const TLook& l) { return CheckBoxes(l, 15, false); }},
        {"SKIN2_CHECKBOXLIST", 44, 11, [](const TLook& l) { return CheckBoxes(l, 11, true); }},
        {"SKIN2_RADIOBUTTON", 60, 15, [](const TLook& l) { return RadioButtons(l, 15); }},
        {"SKIN2_PROGRESSBAR1", 1, 10, [](const TLook& l) { return ProgressEnd(l, 10); }},
        {"SKIN2_PROGRESSBAR2", 6, 10, [](const TLook& l) { return ProgressTrack(l, 6, 10); }},
        {"SKIN2_PROGRESSBAR3", 6, 10, [](const TLook& l) { return ProgressFill(l, 6, 10); }},
        {"SKIN2_PROGRESSBAR4", 1, 10, [](const TLook& l) { return ProgressEnd(l, 10); }},
        {"SKIN2_TRACKBAR", 45, 5, [](const TLook& l) { return TrackGroove(l, 45, 5); }},
        {"SKIN2_TRACKBARSLIDER", 11, 21, [](const TLook& l) { return TrackSlider(l, 11, 21, false); }},
        {"SKIN2_TRACKBARVSLIDER", 22, 11, [](const TLook& l) { return TrackSlider(l, 22, 11, true); }},
        {"SKIN2_SCROLLBARUPBUTTON", 48, 17,
         [](const TLook& l) { return ScrollArrows(l, 16, 17, Qt::UpArrow); }},
        {"SKIN2_SCROLLBAR", 16, 21, [](const TLook& l) { return ScrollThumb(l, 16, 21); }},
        {"SKIN2_SCROLLBARDOWNBUTTON", 48, 17,
         [](const TLook& l) { return ScrollArrows(l, 16, 17, Qt::DownArrow); }},
        {"SKIN2_TABCONTROL", 30, 17, [](const TLook& l) { return Tabs(l, 15, 17); }},
        {"SKIN2_TABCONTROLLINE", 8, 1, [](const TLook& l) { return Edge(l, 8, 1); }},
        {"SKIN2_SIDECHANNELBAR", 7, 84, [](const TLook& l) { return SideHandle(l, 7, 84); }},
        {"SKIN2_SIDECHANNELTITLE", 1, 21, [](const TLook& l) { return CaptionBar(l, 1, 21); }},
        {"SKIN2_SCROLLBUTTON", 68, 17, [](const TLook& l) { return ScrollButtons(l, 17); }},
    };
    return pictures;
}

const std::vector<std::pair<const char*, int32_t>>& Integers() {
    static const std::vector<std::pair<const char*, int32_t>> integers{
        {"SKIN2_TRANSCOLOR", framework::clTransparencyKey},
        {"SKIN2_TITLEFONTCOLOR", 0x000000},
        {"SKIN2_FORMCOLOR", 0xF6E4DA},
        {"SKIN2_MENUBARSTARTCOLOR", 0xF6E4DA},
        {"SKIN2_MENUBARENDCOLOR", 0xF6E4DA},
        {"SKIN2_TOPSELECTEDMENUCOLOR", 0xC56A31},
        {"SKIN2_TOPSELECTEDMENUBORDERCOLOR", 0xC56A31},
        {"SKIN2_TOPSELECTEDMENUFONTCOLOR", 0xFFFFFF},
        {"SKIN2_TOPMENUFONTCOLOR", 0x000000},
        {"SKIN2_LEFTBARSTARTCOLOR", 0xEEEFF0},
        {"SKIN2_LEFTBARENDCOLOR", 0xEEEFF0},
        {"SKIN2_MENUITEMCOLOR", 0xFFFFFF},
        {"SKIN2_MENUITEMFONTCOLOR", 0x000000},
        {"SKIN2_SELECTEDMENUCOLOR", 0xC56A31},
        {"SKIN2_SELECTEDMENUBORDERCOLOR", 0xC56A31},
        {"SKIN2_SELECTEDMENUFONTCOLOR", 0xFFFFFF},
        {"SKIN2_TOOLBARSTARTCOLOR", 0xF6E4DA},
        {"SKIN2_TOOLBARENDCOLOR", 0xF6E4DA},
        {"SKIN2_TOOLBARONCOLOR", 0xFFFFFF},
        {"SKIN2_TOOLBARBORDERCOLOR", 0x000000},
        {"SKIN2_TOOLBARDOWNCOLOR", 0xC0C0C0},
        {"SKIN2_CONTROLCOLOR", 0xF6E4DA},
        {"SKIN2_CONTROLBORDERCOLOR", 0xA06B4F},
        {"SKIN2_CONTROLFONTCOLOR", 0x040000},
        {"SKIN2_BUTTONFONTCOLOR", 0x000000},
        {"SKIN2_SCROLLBARCOLOR", 0xF9F9F9},
        {"SKIN2_TABCONTROLCOLOR", 0xF6E4DA},
        {"SKIN2_TABCONTROLBORDERCOLOR", 0xA06B4F},
        {"SKIN2_TABCONTROLACTIVEFONTCOLOR", 0x000000},
        {"SKIN2_TABCONTROLINACTIVEFONTCOLOR", 0x000000},
        {"SKIN2_SIDECHANNELCOLOR", 0xF6E4DA},
        {"SKIN2_SIDECHANNELBORDERCOLOR", 0xA06B4F},
        {"SKIN2_TITLEBARICONPOSX", 7},
        {"SKIN2_TITLEBARICONPOSY", 14},
        {"SKIN2_TITLEBARCAPTIONTOP", 14},
        {"SKIN2_TITLEBARBUTTONPOSX", 29},
        {"SKIN2_TITLEBARBUTTONPOSY", 14},
        {"SKIN2_TITLEBARREGIONMINY", 0},
        {"SKIN2_TITLEBARREGIONMAXY", 6},
        {"SKIN2_BOTTOMREGIONMINY", -1},
        {"SKIN2_BOTTOMREGIONMAXY", -1},
        {"SKIN2_SYSTEMCOLOR1", 0x00FF00},
        {"SKIN2_SYSTEMCOLOR2", 0x800000},
    };
    return integers;
}

const std::vector<std::pair<const char*, uint8_t>>& Flags() {
    static const std::vector<std::pair<const char*, uint8_t>> flags{
        {"SKIN2_TITLEFIVESECT", 0},      {"SKIN2_BOTTOMBORDERTHREESECT", 0},
        {"SKIN2_TITLEBARNEEDREGION", 1}, {"SKIN2_BOTTOMBORDERNEEDREGION", 0},
        {"SKIN2_TITLEBTNTRANS", 0},      {"SKIN2_BUTTONTRANS", 0},
        {"SKIN2_CHECKBOXTRANS", 0},      {"SKIN2_RADIOBUTTONTRANS", 1},
        {"SKIN2_TABCONTROLTRANS", 0},
    };
    return flags;
}

} // namespace

std::string EmbeddedSkinData() {
    TSkinDataBuilder builder;
    for (const TPicture& picture : Pictures()) {
        const QImage image = picture.draw(EmbeddedLook());
        if (image.width() != picture.width || image.height() != picture.height)
            throw std::logic_error(std::string(picture.name) + " is not drawn at its size");
        builder.AddBitmap(picture.name, EncodeBmp(image));
    }
    for (const auto& [name, value] : Integers())
        builder.AddInteger(name, value);
    for (const auto& [name, value] : Flags())
        builder.AddFlag(name, value);
    return builder.Data();
}

} // namespace qv::skin::generator
