#include "platform/sdl/sdl_saver_window.h"

#include <stdexcept>
#include <string>

namespace pelmic::sdl {

namespace {

[[noreturn]] void ThrowSdlError(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + SDL_GetError());
}

SDL_DisplayMode DesktopMode() {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) ThrowSdlError("SDL_GetDesktopDisplayMode");
  return mode;
}

}  // namespace

SdlSaverWindow::SdlSaverWindow() {
  const SDL_DisplayMode desktop = DesktopMode();
  // Desktop full screen keeps the video mode; the window simply covers the
  // primary display, above panels and docks.
  window_ = SDL_CreateWindow("Pelmic", SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), SDL_WINDOWPOS_UNDEFINED_DISPLAY(0),
                             desktop.w, desktop.h,
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (window_ == nullptr) ThrowSdlError("SDL_CreateWindow");
  // No vsync: a present must never make a yield wait for the display.
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (renderer_ == nullptr) ThrowSdlError("SDL_CreateRenderer");
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING, desktop.w, desktop.h);
  if (texture_ == nullptr) ThrowSdlError("SDL_CreateTexture");
  canvas_ = std::make_unique<RasterCanvas>(desktop.w, desktop.h);
  // The texture starts with undefined contents: upload the whole black canvas.
  canvas_->Cls();
  UploadDirtyRect();
}

SdlSaverWindow::~SdlSaverWindow() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

void SdlSaverWindow::Show() {
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);  // with a window manager: take the keyboard focus
}

void SdlSaverWindow::Hide() { SDL_HideWindow(window_); }

void SdlSaverWindow::Refresh() {
  UploadDirtyRect();
  PresentTexture();
}

void SdlSaverWindow::DoEvents(shell::SaverInput& input) {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) Dispatch(event, input);
  if (!presenting_) return;
  // The tick count is read from the vDSO: no system call on the idle path.
  const std::uint64_t now = SDL_GetTicks64();
  if (now - lastPresentMs_ < kFrameMs) return;
  if (UploadDirtyRect() || exposed_) PresentTexture();
}

void SdlSaverWindow::Dispatch(const SDL_Event& event, shell::SaverInput& input) {
  switch (event.type) {
    case SDL_KEYDOWN:
      input.Form_KeyDown();
      break;
    case SDL_MOUSEBUTTONDOWN:
      input.Form_Click();
      break;
    case SDL_MOUSEMOTION:
      input.Form_MouseMove(static_cast<float>(event.motion.x), static_cast<float>(event.motion.y));
      break;
    case SDL_QUIT:  // also what SIGINT and SIGTERM turn into
      input.CloseRequested();
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) input.CloseRequested();
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        exposed_ = true;
      }
      break;
    default:
      break;
  }
}

bool SdlSaverWindow::UploadDirtyRect() {
  const DirtyRect changed = canvas_->TakeDirtyRect();
  if (changed.Empty()) return false;
  const SDL_Rect rect{changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top};
  const int pitch = canvas_->Width() * static_cast<int>(sizeof(std::uint32_t));
  const std::uint32_t* first = canvas_->Pixels() + changed.top * canvas_->Width() + changed.left;
  SDL_UpdateTexture(texture_, &rect, first, pitch);
  return true;
}

void SdlSaverWindow::PresentTexture() {
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
  lastPresentMs_ = SDL_GetTicks64();
  exposed_ = false;
}

}  // namespace pelmic::sdl
