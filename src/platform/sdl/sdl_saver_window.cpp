#include "platform/sdl/sdl_saver_window.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "platform/sdl/termination_signal.h"
#include "platform/sdl/x11_window.h"

namespace pelmic::sdl {

namespace {

[[noreturn]] void ThrowSdlError(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + SDL_GetError());
}

SDL_Rect DisplayBounds(int display) {
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(display, &bounds) != 0) ThrowSdlError("SDL_GetDisplayBounds");
  return bounds;
}

// Borderless, hidden, covering one display. Full screen is asked of the
// window manager before the window is mapped, not through SDL's full-screen
// mode, so that neither showing nor closing waits for a window manager.
SDL_Window* CreateCoveringWindow(int display) {
  const SDL_Rect bounds = DisplayBounds(display);
  SDL_Window* window = SDL_CreateWindow("Pelmic", bounds.x, bounds.y, bounds.w, bounds.h,
                                        SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
  if (window == nullptr) ThrowSdlError("SDL_CreateWindow");
  PrepareCoveringWindow(window);
  return window;
}

// A black canvas the size the window has now.
RasterCanvas CanvasFor(SDL_Window* window) {
  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  return RasterCanvas(width, height);
}

// A daemon's window notes what SDL makes for its framebuffer.
SurfacePresenter::SurfaceSource SurfaceSourceFor(EmbeddedWindow* embedded) {
  if (embedded == nullptr) return SDL_GetWindowSurface;
  return [embedded](SDL_Window* window) { return embedded->MakeSurface(window); };
}

}  // namespace

std::unique_ptr<SdlSaverWindow> SdlSaverWindow::CoverDisplays() {
  SDL_Window* primary = CreateCoveringWindow(0);
  std::vector<SDL_Window*> covers;
  try {
    for (int display = 1; display < SDL_GetNumVideoDisplays(); ++display) {
      covers.push_back(CreateCoveringWindow(display));
    }
    return std::unique_ptr<SdlSaverWindow>(new SdlSaverWindow(primary, std::move(covers), nullptr));
  } catch (...) {
    for (SDL_Window* cover : covers) SDL_DestroyWindow(cover);
    SDL_DestroyWindow(primary);
    throw;
  }
}

std::unique_ptr<SdlSaverWindow> SdlSaverWindow::Embed(EmbeddedWindow& window) {
  SDL_Window* foreign = window.Adopt();
  try {
    return std::unique_ptr<SdlSaverWindow>(new SdlSaverWindow(foreign, {}, &window));
  } catch (...) {
    SDL_DestroyWindow(foreign);
    throw;
  }
}

SdlSaverWindow::SdlSaverWindow(SDL_Window* window, std::vector<SDL_Window*> covers, EmbeddedWindow* embedded)
    : window_(window),
      covers_(std::move(covers)),
      embedded_(embedded),
      canvas_(CanvasFor(window)),
      presenter_(window, SurfaceSourceFor(embedded)) {
  // Our own window starts black from its background, as the canvas does: the
  // first present need not send a screenful of black. A daemon's window may
  // show anything, so it gets the whole canvas.
  if (embedded_ == nullptr) canvas_.TakeDirtyRect();
}

SdlSaverWindow::~SdlSaverWindow() {
  for (SDL_Window* cover : covers_) SDL_DestroyWindow(cover);
  // A foreign window stays: SDL only lets go of it.
  SDL_DestroyWindow(window_);
}

void SdlSaverWindow::Show() {
  // A signal during start-up: the first yield ends the saver, so the window
  // need not flash up first.
  if (embedded_ != nullptr || TerminationRequested()) return;
  // The covers show nothing but their black background.
  for (SDL_Window* cover : covers_) SDL_ShowWindow(cover);
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);  // with a window manager: take the keyboard focus
}

void SdlSaverWindow::Hide() {
  if (embedded_ != nullptr) {
    // The daemon's window is not ours to unmap: leave it black, as found.
    if (!embedded_->Lost()) presenter_.PresentAll(canvas_);
    return;
  }
  SDL_HideWindow(window_);
  for (SDL_Window* cover : covers_) SDL_HideWindow(cover);
}

void SdlSaverWindow::Refresh() { Present(); }

void SdlSaverWindow::DoEvents(shell::SaverInput& input) {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) Dispatch(event, input);
  if (TerminationRequested() || (embedded_ != nullptr && embedded_->Lost())) input.CloseRequested();
  if (!presenting_) return;
  // The tick count is read from the vDSO: no system call on the idle path.
  const std::uint64_t now = SDL_GetTicks64();
  if (now - lastPresentMs_ < kFrameMs) return;
  Present();
}

void SdlSaverWindow::Present() {
  if (exposed_) {
    canvas_.TakeDirtyRect();
    presenter_.PresentAll(canvas_);
  } else {
    const DirtyRect changed = canvas_.TakeDirtyRect();
    if (changed.Empty()) return;
    presenter_.Present(canvas_, changed);
  }
  lastPresentMs_ = SDL_GetTicks64();
  exposed_ = false;
}

void SdlSaverWindow::Dispatch(const SDL_Event& event, shell::SaverInput& input) {
  if (event.type == SDL_WINDOWEVENT) {
    OnWindowEvent(event.window);
    if (event.window.event == SDL_WINDOWEVENT_CLOSE) input.CloseRequested();
    return;
  }
  if (event.type == SDL_QUIT) input.CloseRequested();
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
  if (event.windowID != SDL_GetWindowID(window_)) return;  // a cover: the server repaints it
  if (resized) presenter_.Invalidate();
  exposed_ = true;
}

void SdlSaverWindow::ReportMotion(const SDL_MouseMotionEvent& motion, shell::SaverInput& input) {
  int x = motion.x;
  int y = motion.y;
  SDL_Window* from = SDL_GetWindowFromID(motion.windowID);
  if (from != nullptr && from != window_) {
    // A cover's pixels, moved into the saver window's frame: one pointer,
    // one first position, whichever display it rests on.
    int fromX = 0, fromY = 0, ownX = 0, ownY = 0;
    SDL_GetWindowPosition(from, &fromX, &fromY);
    SDL_GetWindowPosition(window_, &ownX, &ownY);
    x += fromX - ownX;
    y += fromY - ownY;
  }
  input.Form_MouseMove(static_cast<float>(x), static_cast<float>(y));
}

}  // namespace pelmic::sdl
