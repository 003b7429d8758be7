// SPDX-License-Identifier: MIT
// embedded_window.h - the window the saver draws into when it opens none of
// its own: a screen-saver daemon's window, one a locker names, or the root
// window. Built once in main, before SDL opens the display, and shared by the
// platform and the saver window:
//
//   std::string error;
//   const auto window = EmbeddedWindow::LookUp(parsed.target, error);  // throws: no display (exit 1)
//   if (!window) { /* the window is gone: report, exit 2 */ }
//   LinuxPlatform platform(window.get());
//
// A daemon may destroy its window at any moment, with or without a signal.
// The object watches for that from the look-up on: the window's destruction
// is heard at every yield (the saver window hands each event to Notice), and
// the X errors that the loss explains (LossWatch) are swallowed; any other X
// error keeps its usual effect. X error handlers are per process, so there is
// one such object.
#pragma once

#include <SDL.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/linux/command_line.h"
#include "platform/linux/handle_owners.h"
#include "platform/linux/x11/x11_window.h"

namespace pelmic::linux_desktop {

// The window went away before SDL could take it: as good as never there.
class WindowGone : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Which X errors a loss of the window explains; apart from any display, so
// that tests can drive it.
class LossWatch {
 public:
  explicit LossWatch(X11WindowId window) : window_(window) {}

  X11WindowId Window() const { return window_; }
  bool Lost() const { return lost_; }
  void MarkLost() { lost_ = true; }
  // True when the loss explains `error`: once the window is gone, an error
  // about it, or about any resource of the program's own. While embedded the
  // program makes X resources only to draw into the window (SDL's graphics
  // context and shared memory for its framebuffer), and those fail with it.
  // An error saying that the window does not exist is itself a way the loss
  // may show first.
  bool Explains(const X11Error& error);

 private:
  X11WindowId window_;
  bool lost_ = false;
};

class EmbeddedWindow {
 public:
  // The target's window (RootWindow or ForeignWindow), watched from now on.
  // Null with `error` set when the window does not exist; throws
  // std::runtime_error when the display cannot be opened.
  static std::unique_ptr<EmbeddedWindow> LookUp(const DrawTarget& target, std::string& error);
  EmbeddedWindow(const EmbeddedWindow&) = delete;
  EmbeddedWindow& operator=(const EmbeddedWindow&) = delete;

  X11WindowId Id() const { return watch_.Window(); }
  bool Lost() const { return watch_.Lost(); }

  // SDL's handle on the window; SDL's video must be started. Throws
  // WindowGone when the window went away before SDL had it, or
  // std::runtime_error when SDL fails.
  UniqueWindow Adopt();
  // An event from SDL's queue: the window's destruction marks it lost.
  void Notice(const SDL_Event& event);

 private:
  explicit EmbeddedWindow(X11WindowId id);

  LossWatch watch_;
  X11ErrorFilter filter_;
};

}  // namespace pelmic::linux_desktop
