#pragma once

#include <QImage>

#include <string>
#include <utility>
#include <vector>

namespace qv::skin::generator {

// Every bitmap resource of the five built-in styles, and the named pictures the controls read
// besides the style tables, by resource name.
std::vector<std::pair<std::string, QImage>> StylePictures();

} // namespace qv::skin::generator
