#include "skin/generator/StylePictures.h"

#include "skin/generator/AppIcon.h"
#include "skin/generator/ControlPictures.h"
#include "skin/generator/PictureKit.h"
#include "skin/generator/TitlePictures.h"

namespace qv::skin::generator {

namespace {

// A caption bar in the title's colours, so that the style's caption font reads on it.
QImage PanelBar(const TLook& look, int w, int h) {
    TLook bar = look;
    bar.titleHeight = h;
    return TitleSection(bar, w, TTitleEnd::Middle);
}

QImage Pinstripes(const QColor& light, const QColor& dark) {
    QImage tile = NewPicture(8, 4, light);
    FillVertical(tile, QRect(0, 2, 8, 2), dark, dark);
    return tile;
}

QImage Dots(const QColor& background, const QColor& dot) {
    QImage tile = NewPicture(8, 8, background);
    for (int i = 0; i < 8; i += 4) {
        tile.setPixel(i, i, dot.rgb());
        tile.setPixel((i + 6) % 8, (i + 2) % 8, dot.rgb());
    }
    return tile;
}

QImage PanelButtons(const TLook& look) {
    std::vector<QImage> frames;
    for (const Qt::ArrowType arrow : {Qt::UpArrow, Qt::DownArrow})
        for (const bool over : {false, true}) {
            QImage frame = NewPicture(13, 12, kKeyColor);
            if (over) DrawBox(frame, frame.rect(), 2, look.faceEdge, Qt::white, look.faceBottom, false);
            DrawArrow(frame, QRect(0, 0, 13, 12), arrow, Mix(look.faceEdge, Qt::black, 0.3));
            frames.push_back(frame);
        }
    return Strip(frames);
}

QImage ComboButton(const TLook& look, bool glass) {
    QImage button = NewPicture(17, 20, look.surface);
    if (glass)
        DrawGlassBox(button, button.rect(), 3, Mix(look.accent, Qt::black, 0.3),
                     Mix(look.accent, Qt::white, 0.4), look.accent);
    else
        DrawBox(button, button.rect(), 2, QColor(0xA9, 0xBF, 0xE9), QColor(0xDB, 0xE6, 0xFD),
                QColor(0xB4, 0xC8, 0xF5));
    DrawArrow(button, button.rect(), Qt::DownArrow, glass ? QColor(Qt::white) : QColor(0x4D, 0x61, 0x85));
    return button;
}

QImage MenuStrip(const QColor& top, const QColor& bottom) {
    QImage strip = NewPicture(8, 20, top);
    FillVertical(strip, strip.rect(), top, bottom);
    return strip;
}

} // namespace

std::vector<std::pair<std::string, QImage>> StylePictures() {
    std::vector<std::pair<std::string, QImage>> pictures;
    for (int style = 1; style <= 5; ++style) {
        const TLook& look = StyleLook(style);
        const auto add = [&](const std::string& suffix, QImage image) {
            pictures.emplace_back(look.name + "_" + suffix, std::move(image));
        };
        add("BUTTON", ButtonFaces(look, 24, 23));
        add("CHECKBOX", CheckBoxes(look, 15, false));
        add("RADIOBUTTON", RadioButtons(look, 15));
        add("TITLEBTN", TitleButtons(look));
        add("TITLE_LEFT", TitleSection(look, 30, TTitleEnd::Left));
        add("TITLE_CLIENT", TitleSection(look, 8, TTitleEnd::Middle));
        add("TITLE_RIGHT", TitleSection(look, 30, TTitleEnd::Right));
        add("PROGRESSBAR", Strip({ProgressTrack(look, 10, 12), ProgressFill(look, 10, 12)}));
        add("TRACKBAR_BAR", TrackGroove(look, 45, 5));
        add("TRACKBAR_SLIDER", TrackSlider(look, 11, 21, false));
        add("TRACKBAR_SLIDER_V", TrackSlider(look, 21, 11, true));
        add("SCROLLBAR_BUTTON",
            Strip({ScrollArrows(look, 16, 16, Qt::UpArrow), ScrollArrows(look, 16, 16, Qt::DownArrow)}));
        add("SCROLLBAR_TRACK", ScrollThumbParts(look, 16, 8));
        add("CHECKLIST", CheckBoxes(look, 11, true));
        add("TAB", Tabs(look, 15, 17));
        add("TAB_LINE", NewPicture(8, 1, look.faceEdge));
        add("SIDECHENNEL_HANDLE", SideHandle(look, 7, 84));
        add("SIDECHENNEL_BAR", style == 1 ? CaptionBar(look, 4, 21) : PanelBar(look, 4, 21));
        if (style <= 2) add("SCROLLBUTTON", ScrollButtons(look, 17));
    }
    const TLook& macOS = StyleLook(1);
    pictures.emplace_back("MORE_SCROLLBUTTON", ScrollButtons(StyleLook(3), 17));
    pictures.emplace_back("MACOS_FORM_BACKGROUND",
                          Pinstripes(QColor(0xEC, 0xEC, 0xEC), QColor(0xE4, 0xE4, 0xE4)));
    pictures.emplace_back("PROTEIN_FORM_BACKGROUND",
                          Dots(QColor(0xFB, 0xFB, 0xFB), QColor(0xEE, 0xEE, 0xF0)));
    pictures.emplace_back("MAINICON", MainIcon());
    pictures.emplace_back("MENU_CHECKED", CheckMark(16, Qt::black, Qt::white));
    pictures.emplace_back("MACOS_MENU_BAR", MenuStrip(Qt::white, QColor(0xF0, 0xF0, 0xF0)));
    pictures.emplace_back("MACOS_MENU_SELECT", MenuStrip(QColor(0x5A, 0x8F, 0xDC), QColor(0x2F, 0x66, 0xBC)));
    pictures.emplace_back("PANEL_BUTTON", PanelButtons(StyleLook(3)));
    pictures.emplace_back("MACOS_COMBOBOX_BUTTON", ComboButton(macOS, true));
    pictures.emplace_back("WINXP_COMBOBOX_BUTTON", ComboButton(StyleLook(2), false));
    return pictures;
}

} // namespace qv::skin::generator
