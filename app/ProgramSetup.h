#pragma once

namespace qv::app {

// Names the program to the desktop (application and window class "quorvane", the launcher
// "quorvane.desktop"), gives every window the program's icon and sets up the fonts the layouts
// are drawn in. Call once the application object exists and before the first window.
void SetUpProgram();

} // namespace qv::app
