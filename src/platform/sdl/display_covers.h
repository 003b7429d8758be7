// display_covers.h - which displays get a black cover window while the saver
// shows its diagram on the primary one. X11 names a primary display; Wayland
// has none, and SDL's display 0 counts as the primary on both.
//
//   std::vector<int> covers = DisplaysToCover({{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}, 0);
//   // {1}
#pragma once

#include <SDL.h>

#include <vector>

namespace pelmic::sdl {

// Indexes into `displays` (their bounds) of the displays to cover: every one
// but `primary`, except a display with no area, one that shows only part of
// the primary's picture (a clone), and a second display at the same bounds.
std::vector<int> DisplaysToCover(const std::vector<SDL_Rect>& displays, int primary);

}  // namespace pelmic::sdl
