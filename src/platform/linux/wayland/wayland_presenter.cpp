// SPDX-License-Identifier: MIT
#include "platform/linux/wayland/wayland_presenter.h"

#include <wayland-client.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace pelmic::linux_desktop {

namespace {

DirtyRect Clip(const DirtyRect& rect, int width, int height) {
  return {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, width), std::min(rect.bottom, height)};
}

void CopyRect(const RasterCanvas& canvas, const DirtyRect& rect, ShmBuffer& buffer) {
  const auto bytes = static_cast<std::size_t>(rect.right - rect.left) * sizeof(std::uint32_t);
  const std::uint32_t* from = canvas.Pixels() + static_cast<std::ptrdiff_t>(rect.top) * canvas.Width() + rect.left;
  for (int y = rect.top; y < rect.bottom; ++y, from += canvas.Width()) {
    std::memcpy(buffer.Row(y) + rect.left, from, bytes);
  }
}

}  // namespace

WaylandPresenter::WaylandPresenter(wl_shm* shm, wl_surface* surface, int width, int height)
    : shm_(shm), surface_(surface) {
  Resize(width, height);
}

void WaylandPresenter::Resize(int width, int height) {
  for (auto& buffer : buffers_) buffer = std::make_unique<ShmBuffer>(shm_, std::max(width, 1), std::max(height, 1));
  damage_ = {};
  onScreen_ = -1;
}

void WaylandPresenter::AttachBlack() {
  // Both buffers are black until the first present: either will do.
  Attach(0, {0, 0, Width(), Height()});
}

bool WaylandPresenter::Present(const RasterCanvas& canvas, const DirtyRect& changed) {
  damage_.Drawn(changed);
  const int index = FreeBuffer();
  if (index < 0) return false;
  ShmBuffer& buffer = *buffers_[index];
  const DirtyRect copy = Clip(damage_.Take(index), std::min(canvas.Width(), buffer.Width()),
                              std::min(canvas.Height(), buffer.Height()));
  if (!copy.Empty()) CopyRect(canvas, copy, buffer);
  Attach(index, copy);
  return true;
}

int WaylandPresenter::FreeBuffer() const {
  const int other = onScreen_ < 0 ? 0 : 1 - onScreen_;
  if (!buffers_[other]->Busy()) return other;
  // A compositor that copied the buffer on the screen has let it go already.
  if (onScreen_ >= 0 && !buffers_[onScreen_]->Busy()) return onScreen_;
  return -1;
}

void WaylandPresenter::Attach(int index, const DirtyRect& damage) {
  buffers_[index]->AttachTo(surface_);
  onScreen_ = index;
  if (damage.Empty()) return;
  if (wl_surface_get_version(surface_) < WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
    // Surface units may differ from pixels: the whole surface, then.
    wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
    return;
  }
  wl_surface_damage_buffer(surface_, damage.left, damage.top, damage.right - damage.left, damage.bottom - damage.top);
}

}  // namespace pelmic::linux_desktop
