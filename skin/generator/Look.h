#pragma once

#include <QColor>

#include <string>

namespace qv::skin::generator {

// How title buttons show their state.
enum class TButtonShape {
    Plain, // a glyph on the title; a soft box appears under the mouse
    Boxed, // a glass box around every glyph
    Round, // coloured discs; the glyph appears under the mouse
};

// The character of one set of pictures: every picture of a style or skin is drawn from these, so
// that the set stays consistent.
struct TLook {
    std::string name;
    QColor titleTop;
    QColor titleBottom;
    QColor titleEdge;
    bool glassTitle;
    int titleHeight;
    int corner;
    // Corners outside the radius in the key colour (the window region cuts them away) or in the edge colour.
    bool keyedCorners;
    QColor glyph;
    int titleButton;
    int titleButtonTop;
    TButtonShape buttonShape;
    bool keyedTitleButtons;
    QColor faceTop;
    QColor faceBottom;
    QColor faceEdge;
    bool keyedFaces;
    QColor accent;
    QColor surface;
    QColor track;
};

// The embedded skin's pale blue and slate.
const TLook& EmbeddedLook();

// The built-in style of the given number, 1 to 5 (MacOS, WinXP, DeepBlue, Protein, BlueGlass).
const TLook& StyleLook(int style);

} // namespace qv::skin::generator
