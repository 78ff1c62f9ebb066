#pragma once

// Whether the program can show a window here.

namespace display {

// Unix: a display server is named (DISPLAY, WAYLAND_DISPLAY) or Qt is told of a platform that
// needs none (offscreen). Windows: always, the desktop is the system's own.
bool Available();

}  // namespace display
