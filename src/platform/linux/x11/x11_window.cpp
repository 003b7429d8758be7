#include "platform/linux/x11/x11_window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <stdexcept>

#include "platform/linux/handle_owners.h"

namespace pelmic::sdl {

namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

XErrorHandler handlerBeforeFilter = nullptr;
bool (*errorFilter)(const X11Error&) = nullptr;

int FilterXError(Display* display, XErrorEvent* error) {
  const X11Error seen{error->error_code == BadWindow || error->error_code == BadDrawable, error->resourceid};
  if (errorFilter != nullptr && errorFilter(seen)) return 0;
  return handlerBeforeFilter != nullptr ? handlerBeforeFilter(display, error) : 0;
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
  XSync(display, False);
}

bool IsDestroyOf(const SDL_SysWMmsg& message, X11WindowId window) {
  if (message.subsystem != SDL_SYSWM_X11) return false;
  const XEvent& event = message.msg.x11.event;
  return event.type == DestroyNotify && event.xdestroywindow.window == window;
}

X11WindowId NextX11Id(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  return X11Handles(window, display, xwindow) ? XAllocID(display) : 0;
}

void FilterX11Errors(bool (*filter)(const X11Error&)) {
  if (filter != nullptr && errorFilter == nullptr) handlerBeforeFilter = XSetErrorHandler(FilterXError);
  if (filter == nullptr && errorFilter != nullptr) XSetErrorHandler(handlerBeforeFilter);
  errorFilter = filter;
}

}  // namespace pelmic::sdl
