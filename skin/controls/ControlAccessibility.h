#pragma once

namespace qv::skin {

// Describes the custom-painted skinned controls to Qt's accessibility layer; called by their
// constructors, effective once.
void InstallControlAccessibility();

} // namespace qv::skin
