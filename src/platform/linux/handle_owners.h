// SPDX-License-Identifier: MIT
// handle_owners.h - owners for what this front end takes from SDL and X: each
// gives it back when it goes, so that every error path releases what it took.
//
//   UniqueWindow window(SDL_CreateWindow(...));  // SDL_DestroyWindow when it goes
//   UniqueXDisplay display(XOpenDisplay(nullptr));
//   VideoSubsystem video;                        // SDL's video until it goes
//
// A window's framebuffer (SDL_GetWindowSurface) has no owner of ours: SDL
// frees it with the window, or at the next fetch after a change of size.
#pragma once

#include <SDL.h>

#include <memory>

// Xlib's Display, declared without pulling Xlib's macros into every file.
struct _XDisplay;

namespace pelmic::linux_desktop {

struct WindowDestroyer {
  // A window SDL took over with SDL_CreateWindowFrom stays: SDL lets go of it.
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<SDL_Window, WindowDestroyer>;

struct XDisplayCloser {
  void operator()(_XDisplay* display) const;  // XCloseDisplay
};
using UniqueXDisplay = std::unique_ptr<_XDisplay, XDisplayCloser>;

// SDL's video subsystem, set up the way this program uses it, for as long
// as this lives.
class VideoSubsystem {
 public:
  // Throws std::runtime_error when SDL cannot open the display.
  VideoSubsystem();
  ~VideoSubsystem() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
  VideoSubsystem(const VideoSubsystem&) = delete;
  VideoSubsystem& operator=(const VideoSubsystem&) = delete;
};

}  // namespace pelmic::linux_desktop
