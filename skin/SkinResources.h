#pragma once

#include <QImage>

#include <string>

namespace qv::skin {

// The skin archive the program carries, byte for byte.
std::string EmbeddedSkinArchive();

// A bitmap resource of the program by name ("DEEPBLUE_BUTTON", "PANEL_BUTTON", ...); a null
// picture when there is none of that name. Each is decoded once per process and shared.
QImage StyleResource(const std::string& name);

} // namespace qv::skin
