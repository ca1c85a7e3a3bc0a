#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::skin {

// The engine asks a skin for items only through these four groups; an item's position in its
// group is its index, and its enumerator's spelling is the item name stored in the skin.
#define QV_SKIN2_COLOR_ITEMS(X)                                                                              \
    X(SKIN2_TRANSCOLOR)                                                                                      \
    X(SKIN2_TITLEFONTCOLOR)                                                                                  \
    X(SKIN2_FORMCOLOR)                                                                                       \
    X(SKIN2_MENUBARSTARTCOLOR)                                                                               \
    X(SKIN2_MENUBARENDCOLOR)                                                                                 \
    X(SKIN2_TOPSELECTEDMENUCOLOR)                                                                            \
    X(SKIN2_TOPSELECTEDMENUBORDERCOLOR)                                                                      \
    X(SKIN2_TOPSELECTEDMENUFONTCOLOR)                                                                        \
    X(SKIN2_TOPMENUFONTCOLOR)                                                                                \
    X(SKIN2_LEFTBARSTARTCOLOR)                                                                               \
    X(SKIN2_LEFTBARENDCOLOR)                                                                                 \
    X(SKIN2_MENUITEMCOLOR)                                                                                   \
    X(SKIN2_MENUITEMFONTCOLOR)                                                                               \
    X(SKIN2_SELECTEDMENUCOLOR)                                                                               \
    X(SKIN2_SELECTEDMENUBORDERCOLOR)                                                                         \
    X(SKIN2_SELECTEDMENUFONTCOLOR)                                                                           \
    X(SKIN2_TOOLBARSTARTCOLOR)                                                                               \
    X(SKIN2_TOOLBARENDCOLOR)                                                                                 \
    X(SKIN2_TOOLBARONCOLOR)                                                                                  \
    X(SKIN2_TOOLBARBORDERCOLOR)                                                                              \
    X(SKIN2_TOOLBARDOWNCOLOR)                                                                                \
    X(SKIN2_CONTROLCOLOR)                                                                                    \
    X(SKIN2_CONTROLBORDERCOLOR)                                                                              \
    X(SKIN2_CONTROLFONTCOLOR)                                                                                \
    X(SKIN2_BUTTONFONTCOLOR)                                                                                 \
    X(SKIN2_SCROLLBARCOLOR)                                                                                  \
    X(SKIN2_TABCONTROLCOLOR)                                                                                 \
    X(SKIN2_TABCONTROLBORDERCOLOR)                                                                           \
    X(SKIN2_TABCONTROLACTIVEFONTCOLOR)                                                                       \
    X(SKIN2_TABCONTROLINACTIVEFONTCOLOR)                                                                     \
    X(SKIN2_SIDECHANNELCOLOR)                                                                                \
    X(SKIN2_SIDECHANNELBORDERCOLOR)

#define QV_SKIN2_BITMAP_ITEMS(X)                                                                             \
    X(SKIN2_TITLEBAR1)                                                                                       \
    X(SKIN2_TITLEBAR2)                                                                                       \
    X(SKIN2_TITLEBAR3)                                                                                       \
    X(SKIN2_TITLEBAR4)                                                                                       \
    X(SKIN2_TITLEBAR5)                                                                                       \
    X(SKIN2_FORMLEFTBORDER)                                                                                  \
    X(SKIN2_FORMRIGHTBORDER)                                                                                 \
    X(SKIN2_FORMBOTTOMBORDER1)                                                                               \
    X(SKIN2_FORMBOTTOMBORDER2)                                                                               \
    X(SKIN2_FORMBOTTOMBORDER3)                                                                               \
    X(SKIN2_MINIMIZEDTITLE)                                                                                  \
    X(SKIN2_TITLEBUTTONS)                                                                                    \
    X(SKIN2_CHECKEDMENUICON)                                                                                 \
    X(SKIN2_MENUBAR)                                                                                         \
    X(SKIN2_TOOLBAR)                                                                                         \
    X(SKIN2_BUTTON)                                                                                          \
    X(SKIN2_CHECKBOX)                                                                                        \
    X(SKIN2_CHECKBOXLIST)                                                                                    \
    X(SKIN2_RADIOBUTTON)                                                                                     \
    X(SKIN2_PROGRESSBAR1)                                                                                    \
    X(SKIN2_PROGRESSBAR2)                                                                                    \
    X(SKIN2_PROGRESSBAR3)                                                                                    \
    X(SKIN2_PROGRESSBAR4)                                                                                    \
    X(SKIN2_TRACKBAR)                                                                                        \
    X(SKIN2_TRACKBARSLIDER)                                                                                  \
    X(SKIN2_TRACKBARVSLIDER)                                                                                 \
    X(SKIN2_SCROLLBARUPBUTTON)                                                                               \
    X(SKIN2_SCROLLBAR)                                                                                       \
    X(SKIN2_SCROLLBARDOWNBUTTON)                                                                             \
    X(SKIN2_TABCONTROL)                                                                                      \
    X(SKIN2_TABCONTROLLINE)                                                                                  \
    X(SKIN2_SIDECHANNELBAR)                                                                                  \
    X(SKIN2_SIDECHANNELTITLE)                                                                                \
    X(SKIN2_SCROLLBUTTON)

#define QV_SKIN2_INTEGER_ITEMS(X)                                                                            \
    X(SKIN2_TITLEBARICONPOSX)                                                                                \
    X(SKIN2_TITLEBARICONPOSY)                                                                                \
    X(SKIN2_TITLEBARCAPTIONTOP)                                                                              \
    X(SKIN2_TITLEBARBUTTONPOSX)                                                                              \
    X(SKIN2_TITLEBARBUTTONPOSY)                                                                              \
    X(SKIN2_TITLEBARREGIONMINY)                                                                              \
    X(SKIN2_TITLEBARREGIONMAXY)                                                                              \
    X(SKIN2_BOTTOMREGIONMINY)                                                                                \
    X(SKIN2_BOTTOMREGIONMAXY)

#define QV_SKIN2_FLAG_ITEMS(X)                                                                               \
    X(SKIN2_TITLEFIVESECT)                                                                                   \
    X(SKIN2_BOTTOMBORDERTHREESECT)                                                                           \
    X(SKIN2_TITLEBARNEEDREGION)                                                                              \
    X(SKIN2_BOTTOMBORDERNEEDREGION)                                                                          \
    X(SKIN2_TITLEBTNTRANS)                                                                                   \
    X(SKIN2_BUTTONTRANS)                                                                                     \
    X(SKIN2_CHECKBOXTRANS)                                                                                   \
    X(SKIN2_RADIOBUTTONTRANS)                                                                                \
    X(SKIN2_TABCONTROLTRANS)

#define QV_SKIN2_ENUMERATOR(name) name,

enum TSkin2Color : int { QV_SKIN2_COLOR_ITEMS(QV_SKIN2_ENUMERATOR) SKIN2_COLOR_COUNT };
enum TSkin2Bitmap : int { QV_SKIN2_BITMAP_ITEMS(QV_SKIN2_ENUMERATOR) SKIN2_BITMAP_COUNT };
enum TSkin2Integer : int { QV_SKIN2_INTEGER_ITEMS(QV_SKIN2_ENUMERATOR) SKIN2_INTEGER_COUNT };
enum TSkin2Flag : int { QV_SKIN2_FLAG_ITEMS(QV_SKIN2_ENUMERATOR) SKIN2_FLAG_COUNT };

#undef QV_SKIN2_ENUMERATOR

// The item name of an index; an index outside its group yields an empty name, which no skin holds.
std::string SkinItemName(TSkin2Color index);
std::string SkinItemName(TSkin2Bitmap index);
std::string SkinItemName(TSkin2Integer index);
std::string SkinItemName(TSkin2Flag index);

enum class TSkin2Group { Color, Bitmap, Integer, Flag };

// An item of the table: its group and its index there.
struct TSkin2Item {
    TSkin2Group group;
    int index;
};

// The table's item of that name, letter case ignored; none for any other name.
std::optional<TSkin2Item> FindSkinItem(std::string_view name);

} // namespace qv::skin
