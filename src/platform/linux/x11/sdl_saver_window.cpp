// SPDX-License-Identifier: MIT
#include "platform/linux/x11/sdl_saver_window.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/linux/creation_steps.h"
#include "platform/linux/process_end.h"
#include "platform/linux/termination_signal.h"
#include "platform/linux/x11/x11_window.h"

namespace pelmic::linux_desktop {

namespace {

[[noreturn]] void ThrowSdlError(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + SDL_GetError());
}

std::optional<shell::ScreenRect> DisplayBounds(int display) {
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(display, &bounds) != 0) return std::nullopt;
  return shell::ScreenRect{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
}

shell::ScreenRect DisplayArea(int display) {
  const std::optional<shell::ScreenRect> area = DisplayBounds(display);
  if (!area) ThrowSdlError("SDL_GetDisplayBounds");
  return *area;
}

shell::ScreenRect WindowArea(SDL_Window* window) {
  int x = 0, y = 0, width = 0, height = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &width, &height);
  return {x, y, x + width, y + height};
}

// Borderless, hidden, covering `area`. Full screen is asked of the window
// manager before the window is mapped, not through SDL's full-screen mode,
// so that neither showing nor closing waits for a window manager.
UniqueWindow CreateCoveringWindow(const shell::ScreenRect& area) {
  UniqueWindow window(CreationStep(Made::Window, [&] {
    return SDL_CreateWindow("Pelmic", area.left, area.top, area.right - area.left, area.bottom - area.top,
                            SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
  }));
  if (!window) ThrowSdlError("SDL_CreateWindow");
  PrepareCoveringWindow(window.get());
  return window;
}

// A black canvas the size the window has now.
RasterCanvas CanvasFor(SDL_Window* window) {
  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  return RasterCanvas(width, height);
}

}  // namespace

std::unique_ptr<SdlSaverWindow> SdlSaverWindow::CoverDisplays() {
  // SDL lists the primary display first.
  std::vector<shell::MonitorRect> monitors{{DisplayArea(0), true}};
  for (int display = 1; display < SDL_GetNumVideoDisplays(); ++display) {
    monitors.push_back({DisplayArea(display), false});
  }
  return Cover(monitors.front().area, shell::CoverRects(monitors));
}

std::unique_ptr<SdlSaverWindow> SdlSaverWindow::Cover(const shell::ScreenRect& own,
                                                      const std::vector<shell::ScreenRect>& covers) {
  UniqueWindow window = CreateCoveringWindow(own);
  std::vector<UniqueWindow> coverWindows;
  for (const shell::ScreenRect& cover : covers) coverWindows.push_back(CreateCoveringWindow(cover));
  return std::unique_ptr<SdlSaverWindow>(new SdlSaverWindow(std::move(window), std::move(coverWindows), nullptr));
}

std::unique_ptr<SdlSaverWindow> SdlSaverWindow::Embed(EmbeddedWindow& window) {
  return std::unique_ptr<SdlSaverWindow>(new SdlSaverWindow(window.Adopt(), {}, &window));
}

SdlSaverWindow::SdlSaverWindow(UniqueWindow window, std::vector<UniqueWindow> covers, EmbeddedWindow* embedded)
    : window_(std::move(window)),
      covers_(std::move(covers)),
      embedded_(embedded),
      canvas_(CanvasFor(window_.get())),
      presenter_(window_.get(), canvas_) {
  // Our own window starts black from its background, as the canvas does: the
  // first present need not send a screenful of black. A daemon's window may
  // show anything, so it gets the whole canvas.
  if (embedded_ == nullptr) canvas_.TakeDirtyRect();
}

SdlSaverWindow::~SdlSaverWindow() {
  if (embedded_ != nullptr || !ScreenGivenBack()) return;
  // The program ends next: what the settings' restore queued goes out, and
  // the windows and their frame memory, where the canvas draws, are left to
  // the end of the process, or to SDL_Quit should the program go on.
  FlushDisplayOf(window_.get());
  static_cast<void>(window_.release());
  for (UniqueWindow& cover : covers_) static_cast<void>(cover.release());
}

void SdlSaverWindow::Show() {
  // A signal during start-up: the first yield ends the saver, so the window
  // need not flash up first.
  if (embedded_ != nullptr || TerminationRequested()) return;
  shown_ = true;
  // The covers show nothing but their black background.
  for (const UniqueWindow& cover : covers_) SDL_ShowWindow(cover.get());
  SDL_ShowWindow(window_.get());
  SDL_RaiseWindow(window_.get());  // with a window manager: take the keyboard focus
}

void SdlSaverWindow::Hide() {
  if (embedded_ != nullptr) {
    // The daemon's window is not ours to unmap: leave it black, as found.
    if (!embedded_->Lost()) presenter_.PresentAll();
    return;
  }
  // The saver's last act on its own windows: off the screen, and the program
  // may end without taking them down (process_end.h). SDL's wait for the
  // server to confirm each unmap would only make the end wait for the server
  // to repaint what they covered.
  shown_ = false;
  UnmapNow(window_.get());
  for (const UniqueWindow& cover : covers_) UnmapNow(cover.get());
  MarkScreenGivenBack();
}

void SdlSaverWindow::PumpEvents(shell::SaverInput& input) {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) Dispatch(event, input);
  if (TerminationRequested() || (embedded_ != nullptr && embedded_->Lost())) input.CloseRequested();
}

void SdlSaverWindow::Present(const DirtyRect& area) {
  if (exposed_) {
    exposed_ = false;
    presenter_.PresentAll();
  } else if (!area.Empty()) {
    presenter_.Present(area);
  }
}

void SdlSaverWindow::Dispatch(const SDL_Event& event, shell::SaverInput& input) {
  if (event.type == SDL_WINDOWEVENT) {
    OnWindowEvent(event.window);
    if (event.window.event == SDL_WINDOWEVENT_CLOSE) input.CloseRequested();
    return;
  }
  if (event.type == SDL_QUIT) input.CloseRequested();
  // SDL tells of RandR's outputs connected and disconnected.
  if (event.type == SDL_DISPLAYEVENT && embedded_ == nullptr && event.display.event != SDL_DISPLAYEVENT_ORIENTATION &&
      !FollowDisplays()) {
    input.CloseRequested();
  }
  if (embedded_ != nullptr) {
    embedded_->Notice(event);
    return;  // the daemon owns input
  }
  switch (event.type) {
    case SDL_KEYDOWN:
      input.Form_KeyDown();
      break;
    case SDL_MOUSEBUTTONDOWN:
      input.Form_Click();
      break;
    case SDL_MOUSEMOTION:
      ReportMotion(event.motion, input);
      break;
    default:
      break;
  }
}

void SdlSaverWindow::OnWindowEvent(const SDL_WindowEvent& event) {
  const bool exposed = event.event == SDL_WINDOWEVENT_EXPOSED;
  const bool resized = event.event == SDL_WINDOWEVENT_SIZE_CHANGED;
  if (!exposed && !resized) return;
  if (event.windowID != SDL_GetWindowID(window_.get())) return;  // a cover: the server repaints it
  if (resized) presenter_.Invalidate();
  exposed_ = true;
  canvas_.MarkChanged({0, 0, canvas_.Width(), canvas_.Height()});
}

bool SdlSaverWindow::FollowDisplays() {
  const shell::ScreenRect own = WindowArea(window_.get());
  std::vector<shell::MonitorRect> monitors;
  for (int display = 0; display < SDL_GetNumVideoDisplays(); ++display) {
    if (const std::optional<shell::ScreenRect> area = DisplayBounds(display)) monitors.push_back({*area, *area == own});
  }
  if (std::none_of(monitors.begin(), monitors.end(), [](const auto& m) { return m.primary; })) return false;
  shell::FollowCoverRects(
      covers_, shell::CoverRects(monitors), [](const UniqueWindow& cover) { return WindowArea(cover.get()); },
      [&](const shell::ScreenRect& area) {
        covers_.push_back(CreateCoveringWindow(area));
        if (shown_) SDL_ShowWindow(covers_.back().get());
      });
  return true;
}

void SdlSaverWindow::ReportMotion(const SDL_MouseMotionEvent& motion, shell::SaverInput& input) {
  int x = motion.x;
  int y = motion.y;
  SDL_Window* from = SDL_GetWindowFromID(motion.windowID);
  if (from != nullptr && from != window_.get()) {
    // A cover's pixels, moved into the saver window's frame: one pointer,
    // one first position, whichever display it rests on.
    int fromX = 0, fromY = 0, ownX = 0, ownY = 0;
    SDL_GetWindowPosition(from, &fromX, &fromY);
    SDL_GetWindowPosition(window_.get(), &ownX, &ownY);
    x += fromX - ownX;
    y += fromY - ownY;
  }
  input.Form_MouseMove(static_cast<float>(x), static_cast<float>(y));
}

}  // namespace pelmic::linux_desktop
