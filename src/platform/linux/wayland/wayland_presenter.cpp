// SPDX-License-Identifier: MIT
#include "platform/linux/wayland/wayland_presenter.h"

#include <wayland-client.h>

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdint>
#include <cstring>

#include "canvas/raster_target.h"

namespace pelmic::linux_desktop {

namespace {

DirtyRect Clip(const DirtyRect& rect, int width, int height) {
  return {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, width), std::min(rect.bottom, height)};
}

// `rect` of the canvas into `buffer`; it lies inside both.
void CopyRect(const RasterCanvas& canvas, const DirtyRect& rect, ShmBuffer& buffer) {
  if (rect.Empty()) return;
  const auto bytes = static_cast<std::size_t>(rect.right - rect.left) * sizeof(std::uint32_t);
  const std::uint32_t* from = canvas.Pixels() + static_cast<std::ptrdiff_t>(rect.top) * canvas.Width() + rect.left;
  for (int y = rect.top; y < rect.bottom; ++y, from += canvas.Width()) {
    std::memcpy(buffer.Row(y) + rect.left, from, bytes);
  }
}

}  // namespace

WaylandPresenter::WaylandPresenter(WaylandConnection& wayland, wl_surface* surface, int width, int height)
    : wayland_(wayland), surface_(surface), releases_(wl_display_create_queue(wayland.Display())) {
  Resize(width, height);
}

WaylandPresenter::~WaylandPresenter() {
  if (frame_ != nullptr) wl_callback_destroy(frame_);
  for (auto& buffer : buffers_) buffer.reset();  // before their queue
  wl_event_queue_destroy(releases_);
}

void WaylandPresenter::Resize(int width, int height) {
  if (canvas_ != nullptr) canvas_->MoveTo(nullptr);
  canvas_ = nullptr;
  drawing_ = -1;
  buffers_[1].reset();  // made when a canvas needs it
  buffers_[0] = std::make_unique<ShmBuffer>(wayland_.Shm(), std::max(width, 1), std::max(height, 1), releases_);
  damage_ = {};
  onScreen_ = -1;
}

ShmBuffer& WaylandPresenter::Buffer(int index) {
  // A new buffer is black, as both were when the damage started counting.
  if (!buffers_[index]) buffers_[index] = std::make_unique<ShmBuffer>(wayland_.Shm(), Width(), Height(), releases_);
  return *buffers_[index];
}

void WaylandPresenter::AttachBlack() {
  // Both buffers are black until the first present: either will do.
  assert(canvas_ == nullptr);
  Attach(0, {0, 0, Width(), Height()});
}

void WaylandPresenter::Settle(RasterCanvas& canvas) {
  if (canvas_ != &canvas || drawing_ != onScreen_) return;
  // Only releases and frame callbacks are dispatched here: input waits for
  // the pump, where its handlers are.
  wl_display_dispatch_queue_pending(wayland_.Display(), releases_);
  if (!Buffer(1 - drawing_).Busy()) Carry(canvas, 1 - drawing_);
}

bool WaylandPresenter::Ready(RasterCanvas& canvas) {
  Settle(canvas);
  if (frame_ != nullptr) wl_display_dispatch_queue_pending(wayland_.Display(), releases_);
  if (frame_ != nullptr) return false;
  if (canvas_ == &canvas) return drawing_ != onScreen_;
  return FreeBuffer() >= 0;
}

void WaylandPresenter::Present(RasterCanvas& canvas, const DirtyRect& changed) {
  damage_.Drawn(changed);
  const bool fits = canvas.Width() == Width() && canvas.Height() == Height();
  if (fits && canvas_ == nullptr) Carry(canvas, FreeBuffer());
  if (canvas_ == &canvas) {
    PresentDrawn(canvas);
  } else {
    PresentCopy(canvas);
  }
}

void WaylandPresenter::PresentDrawn(RasterCanvas& canvas) {
  const int shown = drawing_;
  Attach(shown, damage_.Take(shown));  // the buffer is the canvas: nothing to copy
  Commit();
  // Else Settle moves it on, once the compositor lets that buffer go.
  if (!Buffer(1 - shown).Busy()) Carry(canvas, 1 - shown);
}

void WaylandPresenter::Carry(RasterCanvas& canvas, int index) {
  ShmBuffer& buffer = Buffer(index);
  // Drawn since the last present: not in the damage yet, and still owed.
  const DirtyRect drawn = canvas.TakeDirtyRect();
  canvas.MarkChanged(drawn);
  CopyRect(canvas, Clip(UnionOf(damage_.Bring(index), drawn), Width(), Height()), buffer);
  canvas.DrawInto(buffer.Pixels());
  canvas_ = &canvas;
  drawing_ = index;
}

void WaylandPresenter::PresentCopy(const RasterCanvas& canvas) {
  const int index = FreeBuffer();
  ShmBuffer& buffer = Buffer(index);
  const DirtyRect copy = Clip(damage_.Take(index), std::min(canvas.Width(), buffer.Width()),
                              std::min(canvas.Height(), buffer.Height()));
  CopyRect(canvas, copy, buffer);
  Attach(index, copy);
  Commit();
}

void WaylandPresenter::Commit() {
  static constexpr wl_callback_listener kFrameListener{&WaylandPresenter::FrameDone};
  if (frame_ == nullptr) {
    frame_ = wl_surface_frame(surface_);
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(frame_), releases_);
    wl_callback_add_listener(frame_, &kFrameListener, this);
  }
  wl_surface_commit(surface_);
}

void WaylandPresenter::FrameDone(void* presenter, wl_callback* callback, std::uint32_t) {
  wl_callback_destroy(callback);
  static_cast<WaylandPresenter*>(presenter)->frame_ = nullptr;
}

int WaylandPresenter::FreeBuffer() {
  const int other = onScreen_ < 0 ? 0 : 1 - onScreen_;
  if (!Buffer(other).Busy()) return other;
  // A compositor that copied the buffer on the screen has let it go already.
  if (onScreen_ >= 0 && !Buffer(onScreen_).Busy()) return onScreen_;
  return -1;
}

void WaylandPresenter::Attach(int index, const DirtyRect& damage) {
  Buffer(index).AttachTo(surface_);
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
