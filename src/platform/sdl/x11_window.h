// x11_window.h - the few X11 calls SDL has no word for: checking a daemon's
// window before drawing into it, asking for full screen without SDL's wait
// for a window manager, and hearing when a foreign window is exposed.
#pragma once

#include <SDL.h>

#include <optional>
#include <string>

#include "platform/sdl/draw_target.h"

namespace pelmic::sdl {

// The X window the target names (the root window for RootWindow), checked on
// a short connection of its own before SDL opens the display: drawing into a
// window that does not exist would end the program with an X error. Empty
// with `error` set when the display cannot be opened or the window is gone.
std::optional<X11WindowId> LookUpWindow(const DrawTarget& target, std::string& error);

// Prepares a window that is not yet shown to cover a display: marked full
// screen and above the others, which a window manager honours when it maps
// the window (SDL's own full screen waits up to 100 ms for a window manager
// on entering and again on leaving, even where none runs); and a black
// background, which the X server paints itself on mapping and on every
// exposure, so that black never has to be sent as pixels.
void PrepareCoveringWindow(SDL_Window* window);

// A window wrapped with SDL_CreateWindowFrom gets no events of its own; this
// asks for exposures and size changes (never input, which its owner handles).
void WatchForeignWindow(SDL_Window* window);

// A daemon destroys its window right after sending SIGTERM, so the last
// present may hit a window that is gone: X reports an error, which by
// default ends the program with status 1. From this call on such errors
// about `window` only mark it lost. Call after SDL's video is initialised.
void TolerateLossOf(X11WindowId window);
bool ForeignWindowLost();

}  // namespace pelmic::sdl
