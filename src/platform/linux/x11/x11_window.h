// SPDX-License-Identifier: MIT
// x11_window.h - the few X11 calls SDL has no word for: checking a window
// before drawing into it, asking for full screen without SDL's wait for a
// window manager, hearing about a foreign window, and filtering X errors.
#pragma once

#include <SDL.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/linux/command_line.h"

namespace pelmic::linux_desktop {

// The X window the target names (the root window for RootWindow), checked on
// a short connection of its own before SDL opens the display: drawing into a
// window that does not exist would end the program with an X error. Empty
// with `error` set when the window is gone; throws std::runtime_error when the
// display cannot be opened.
std::optional<X11WindowId> LookUpWindow(const DrawTarget& target, std::string& error);

// Prepares a window that is not yet shown to cover a display: marked full
// screen and above the others, which a window manager honours when it maps
// the window (SDL's own full screen waits up to 100 ms for a window manager
// on entering and again on leaving, even where none runs); and a black
// background, which the X server paints itself on mapping and on every
// exposure, so that black never has to be sent as pixels.
void PrepareCoveringWindow(SDL_Window* window);

// Unmaps `window` and sends the request at once, without SDL's wait for the
// server's confirmation: what the user sees happens in the server either
// way, and the program that ends next need not wait for it.
void UnmapNow(SDL_Window* window);

// Sends what the window's display connection still buffers.
void FlushDisplayOf(SDL_Window* window);

// A window wrapped with SDL_CreateWindowFrom gets no events of its own; this
// asks for its exposures, size changes and destruction (never input, which
// its owner handles), and waits for the server's answer, so that an error
// about the window has been seen when it returns.
void WatchForeignWindow(SDL_Window* window);

// True when `message`, an X event SDL passed on, says `window` was destroyed.
bool IsDestroyOf(const SDL_SysWMmsg& message, X11WindowId window);

struct X11Error {
  bool noSuchWindow;     // BadWindow or BadDrawable: `resource` does not exist
  bool ownResource;      // `resource` is in the ids the server gave the failed request's connection
  X11WindowId resource;  // the id the failed request named
};

// The range of ids the server gives a connection at set-up: every resource
// the connection makes has `base` in the bits outside `mask`.
struct X11IdRange {
  X11WindowId base = 0, mask = 0;
};

// An X error event's code and resource id read as the filter reads them,
// `ours` being the range of the connection the failed request went through
// (none known: no resource is ours).
X11Error ReadX11Error(int errorCode, X11WindowId resource, const std::optional<X11IdRange>& ours);

// While it lives, every X error of the process is offered to `explains`
// first: the errors it returns true for are swallowed, the others get the
// handler found before (the X library's prints them and ends the program with
// status 1). SDL's video, started later, keeps it. Xlib calls its error
// handler without any context, so one filter is in force at a time: a second
// throws std::logic_error.
class X11ErrorFilter {
 public:
  explicit X11ErrorFilter(std::function<bool(const X11Error&)> explains);
  ~X11ErrorFilter();
  X11ErrorFilter(const X11ErrorFilter&) = delete;
  X11ErrorFilter& operator=(const X11ErrorFilter&) = delete;

  bool Explains(const X11Error& error) const { return explains_(error); }

 private:
  std::function<bool(const X11Error&)> explains_;
};

}  // namespace pelmic::linux_desktop
