// SPDX-License-Identifier: MIT
#include "platform/linux/x11/surface_presenter.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/linux/creation_steps.h"

namespace pelmic::linux_desktop {

namespace {

bool CanvasFits(const SDL_Surface& surface, const RasterCanvas& canvas) {
  return surface.format->format == SDL_PIXELFORMAT_RGB888 && surface.w == canvas.Width() &&
         surface.h == canvas.Height() && surface.pitch == canvas.Width() * static_cast<int>(sizeof(std::uint32_t));
}

}  // namespace

SurfacePresenter::SurfacePresenter(SDL_Window* window, RasterCanvas& canvas) : window_(window), canvas_(canvas) {
  Surface();
}

SDL_Surface* SurfacePresenter::Surface() {
  if (surface_ != nullptr) return surface_;
  surface_ = CreationStep(Made::Framebuffer, [&] { return SDL_GetWindowSurface(window_); });
  if (surface_ == nullptr) throw std::runtime_error(std::string("SDL_GetWindowSurface: ") + SDL_GetError());
  if (CanvasFits(*surface_, canvas_)) {
    canvas_.MoveTo(static_cast<std::uint32_t*>(surface_->pixels));
  } else {
    SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
  }
  return surface_;
}

void SurfacePresenter::Invalidate() {
  canvas_.MoveTo(nullptr);
  surface_ = nullptr;
}

void SurfacePresenter::Present(const DirtyRect& changed) {
  const SDL_Rect rect = Prepare(changed);
  if (rect.w > 0 && rect.h > 0) SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
}

void SurfacePresenter::PresentAll() {
  Prepare({0, 0, canvas_.Width(), canvas_.Height()});
  SDL_UpdateWindowSurface(window_);
}

SDL_Rect SurfacePresenter::Prepare(const DirtyRect& changed) {
  SDL_Surface* surface = Surface();
  const int right = std::min({changed.right, canvas_.Width(), surface->w});
  const int bottom = std::min({changed.bottom, canvas_.Height(), surface->h});
  const SDL_Rect rect{changed.left, changed.top, right - changed.left, bottom - changed.top};
  if (rect.w <= 0 || rect.h <= 0 || canvas_.Pixels() == surface->pixels) return rect;
  const int canvasPitch = canvas_.Width() * static_cast<int>(sizeof(std::uint32_t));
  const std::uint32_t* from = canvas_.Pixels() + changed.top * canvas_.Width() + changed.left;
  auto* to = static_cast<std::uint8_t*>(surface->pixels) + rect.y * surface->pitch +
             rect.x * surface->format->BytesPerPixel;
  SDL_ConvertPixels(rect.w, rect.h, SDL_PIXELFORMAT_RGB888, from, canvasPitch, surface->format->format, to,
                    surface->pitch);
  return rect;
}

}  // namespace pelmic::linux_desktop
