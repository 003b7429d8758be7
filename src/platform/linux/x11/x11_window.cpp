// SPDX-License-Identifier: MIT
#include "platform/linux/x11/x11_window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <stdexcept>
#include <utility>

#include "platform/linux/handle_owners.h"

namespace pelmic::linux_desktop {

namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Xlib's error handler gets no context: the filter in force is found here.
struct {
  const X11ErrorFilter* filter = nullptr;
  XErrorHandler before = nullptr;
} installed;

// The server hands each connection its own range of ids at set-up, so
// whether the program made a resource does not depend on the order in which
// the ids were given out. Reading the set-up sends no request, as a handler
// must not.
std::optional<X11IdRange> IdRangeOf(Display* display) {
  xcb_connection_t* connection = XGetXCBConnection(display);
  const xcb_setup_t* setup = connection != nullptr ? xcb_get_setup(connection) : nullptr;
  if (setup == nullptr) return std::nullopt;
  return X11IdRange{setup->resource_id_base, setup->resource_id_mask};
}

int FilterXError(Display* display, XErrorEvent* error) {
  const X11Error seen = ReadX11Error(error->error_code, error->resourceid, IdRangeOf(display));
  if (installed.filter != nullptr && installed.filter->Explains(seen)) return 0;
  return installed.before != nullptr ? installed.before(display, error) : 0;
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
  const UniqueXDisplay display(XOpenDisplay(nullptr));
  // Not the window's fault: the display cannot be used (status 1, not 2).
  if (!display) throw std::runtime_error("cannot open the X display");
  if (target.kind == DrawTarget::Kind::RootWindow) return DefaultRootWindow(display.get());
  if (!WindowExists(display.get(), target.window)) {
    error = "there is no window " + FormatWindowId(target.window) + " on this display";
    return std::nullopt;
  }
  return target.window;
}

X11Error ReadX11Error(int errorCode, X11WindowId resource, const std::optional<X11IdRange>& ours) {
  const bool own = ours && (resource & ~ours->mask) == ours->base;
  return {errorCode == BadWindow || errorCode == BadDrawable, own, resource};
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

void UnmapNow(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11Handles(window, display, xwindow)) return;
  XUnmapWindow(display, xwindow);
  XFlush(display);
}

void FlushDisplayOf(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (X11Handles(window, display, xwindow)) XFlush(display);
}

void WatchForeignWindow(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11Handles(window, display, xwindow)) return;
  // The event mask is per client: this adds to nothing the owner selected.
  XSelectInput(display, xwindow, ExposureMask | StructureNotifyMask);
  XSync(display, False);
}

bool IsDestroyOf(const SDL_SysWMmsg& message, X11WindowId window) {
  if (message.subsystem != SDL_SYSWM_X11) return false;
  const XEvent& event = message.msg.x11.event;
  return event.type == DestroyNotify && event.xdestroywindow.window == window;
}

X11ErrorFilter::X11ErrorFilter(std::function<bool(const X11Error&)> explains) : explains_(std::move(explains)) {
  if (installed.filter != nullptr) throw std::logic_error("an X error filter is already in force");
  installed.before = XSetErrorHandler(FilterXError);
  installed.filter = this;
}

X11ErrorFilter::~X11ErrorFilter() {
  XSetErrorHandler(installed.before);
  installed = {};
}

}  // namespace pelmic::linux_desktop
