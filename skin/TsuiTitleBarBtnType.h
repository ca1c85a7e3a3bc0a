#pragma once

namespace qv::skin {

// What a title bar button does; its pictures are the type's three frames of the title buttons strip.
enum class TsuiTitleBarBtnType { suiMax, suiMin, suiClose, suiHelp, suiControlBox, suiCustom };

} // namespace qv::skin
