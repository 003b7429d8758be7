#include "platform/sdl/surface_presenter.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace pelmic::sdl {

SurfacePresenter::SurfacePresenter(SDL_Window* window, SurfaceSource source)
    : window_(window), source_(std::move(source)) {
  Surface();
}

SDL_Surface* SurfacePresenter::Surface() {
  if (surface_ != nullptr) return surface_;
  surface_ = source_(window_);
  if (surface_ == nullptr) throw std::runtime_error(std::string("SDL_GetWindowSurface: ") + SDL_GetError());
  SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
  return surface_;
}

void SurfacePresenter::Present(const RasterCanvas& canvas, const DirtyRect& changed) {
  const SDL_Rect rect = Copy(canvas, changed);
  if (rect.w > 0 && rect.h > 0) SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
}

void SurfacePresenter::PresentAll(const RasterCanvas& canvas) {
  Copy(canvas, {0, 0, canvas.Width(), canvas.Height()});
  SDL_UpdateWindowSurface(window_);
}

SDL_Rect SurfacePresenter::Copy(const RasterCanvas& canvas, const DirtyRect& changed) {
  SDL_Surface* surface = Surface();
  const int right = std::min({changed.right, canvas.Width(), surface->w});
  const int bottom = std::min({changed.bottom, canvas.Height(), surface->h});
  const SDL_Rect rect{changed.left, changed.top, right - changed.left, bottom - changed.top};
  if (rect.w <= 0 || rect.h <= 0) return rect;
  const int canvasPitch = canvas.Width() * static_cast<int>(sizeof(std::uint32_t));
  const std::uint32_t* from = canvas.Pixels() + changed.top * canvas.Width() + changed.left;
  auto* to = static_cast<std::uint8_t*>(surface->pixels) + rect.y * surface->pitch +
             rect.x * surface->format->BytesPerPixel;
  // Same layout (0x00RRGGBB) on a true-colour X display: a copy per row.
  SDL_ConvertPixels(rect.w, rect.h, SDL_PIXELFORMAT_RGB888, from, canvasPitch, surface->format->format, to,
                    surface->pitch);
  return rect;
}

}  // namespace pelmic::sdl
