#pragma once

namespace qv::skin {

// Describes the skinned panel and scroll bar, which have no counterpart among Qt's widgets, to
// Qt's accessibility layer; called by their constructors, effective once.
void InstallControlAccessibility();

} // namespace qv::skin
