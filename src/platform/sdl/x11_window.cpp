#include "platform/sdl/x11_window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <memory>

namespace pelmic::sdl {

namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

XErrorHandler handlerBeforeOurs = nullptr;
Window tolerated = 0;
bool lost = false;

// Once the window is gone, the graphics context made for it is refused too.
int NoteLostWindow(Display* display, XErrorEvent* error) {
  const bool gone = error->error_code == BadWindow || error->error_code == BadDrawable;
  if (gone && error->resourceid == tolerated) lost = true;
  if (lost && (gone || error->error_code == BadGC)) return 0;
  return handlerBeforeOurs != nullptr ? handlerBeforeOurs(display, error) : 0;
}

bool WindowExists(Display* display, Window window) {
  XErrorHandler previous = XSetErrorHandler(IgnoreXError);
  XWindowAttributes attributes;
  const Status found = XGetWindowAttributes(display, window, &attributes);
  XSetErrorHandler(previous);
  return found != 0;
}

bool X11Handles(SDL_Window* window, Display*& display, Window& xwindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return false;
  display = info.info.x11.display;
  xwindow = info.info.x11.window;
  return true;
}

}  // namespace

std::optional<X11WindowId> LookUpWindow(const DrawTarget& target, std::string& error) {
  const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) {
    error = "cannot open the X display";
    return std::nullopt;
  }
  if (target.kind == DrawTarget::Kind::RootWindow) return DefaultRootWindow(display.get());
  if (!WindowExists(display.get(), target.window)) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", target.window);
    error = std::string("there is no window ") + id + " on this display";
    return std::nullopt;
  }
  return target.window;
}

void PrepareCoveringWindow(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11Handles(window, display, xwindow)) return;
  XSetWindowBackground(display, xwindow, BlackPixel(display, DefaultScreen(display)));
  const Atom states[] = {XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False),
                         XInternAtom(display, "_NET_WM_STATE_ABOVE", False)};
  XChangeProperty(display, xwindow, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(states), 2);
}

void WatchForeignWindow(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11Handles(window, display, xwindow)) return;
  // The event mask is per client: this adds to nothing the owner selected.
  XSelectInput(display, xwindow, ExposureMask | StructureNotifyMask);
  XFlush(display);
}

void TolerateLossOf(X11WindowId window) {
  tolerated = window;
  if (handlerBeforeOurs == nullptr) handlerBeforeOurs = XSetErrorHandler(NoteLostWindow);
}

bool ForeignWindowLost() { return lost; }

}  // namespace pelmic::sdl
