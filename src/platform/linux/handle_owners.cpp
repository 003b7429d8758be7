// SPDX-License-Identifier: MIT
#include "platform/linux/handle_owners.h"

#include <X11/Xlib.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace pelmic::linux_desktop {

void XDisplayCloser::operator()(Display* display) const { XCloseDisplay(display); }

VideoSubsystem::VideoSubsystem() {
  // SDL inhibits the system's screen saver by default; a screen saver has no
  // business keeping the display from blanking or locking.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // The window framebuffer without GL: a software canvas needs no GPU, and
  // a GL software rasteriser alone would hold some 100 MB.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // SIGTERM and SIGINT are ours (termination_signal.h).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    throw std::runtime_error(std::string("cannot open the display: ") + SDL_GetError());
  }
  // With no display at all SDL falls back to a back end that shows nothing:
  // the saver would then draw for no one, for ever. Only asked for by name.
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool showsNothing = std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
  if (showsNothing && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw std::runtime_error("cannot open the display: no X11 or Wayland display");
  }
}

}  // namespace pelmic::linux_desktop
