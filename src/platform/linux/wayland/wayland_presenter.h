// SPDX-License-Identifier: MIT
// wayland_presenter.h - the pixels of one Wayland surface: two shared-memory
// buffers of its size, black until a canvas is presented into them.
//
//   WaylandPresenter presenter(shm, surface, 1920, 1080);
//   presenter.AttachBlack();                            // the surface's first buffer
//   presenter.Present(canvas, canvas.TakeDirtyRect());  // then commits
//
// The compositor reads one buffer while we write the other, so it never
// shows a half-written frame. When it holds both, the present is owed
// (Behind) and made at a later call, with whatever was drawn meanwhile.
#pragma once

#include <array>
#include <memory>

#include "canvas/raster_canvas.h"
#include "platform/linux/wayland/swap_damage.h"
#include "platform/linux/wayland/wayland_shm.h"

namespace pelmic::linux_desktop {

class WaylandPresenter {
 public:
  // Buffers of `width` x `height` pixels for `surface`.
  WaylandPresenter(wl_shm* shm, wl_surface* surface, int width, int height);

  int Width() const { return buffers_[0]->Width(); }
  int Height() const { return buffers_[0]->Height(); }
  // New black buffers of another size; nothing attached.
  void Resize(int width, int height);
  // Attaches a black buffer of the whole size (not committed).
  void AttachBlack();
  // Copies `changed` of the canvas, with what an earlier call could not
  // show, into a buffer the compositor does not hold, attaches it and marks
  // the damage (not committed). False when both buffers were held.
  bool Present(const RasterCanvas& canvas, const DirtyRect& changed);
  bool Behind() const { return damage_.Owed(); }

 private:
  // Index of a buffer the compositor does not hold (the one not on the
  // screen, if both are free), or -1.
  int FreeBuffer() const;
  void Attach(int index, const DirtyRect& damage);

  wl_shm* shm_;
  wl_surface* surface_;
  std::array<std::unique_ptr<ShmBuffer>, 2> buffers_;
  SwapDamage damage_;
  int onScreen_ = -1;
};

}  // namespace pelmic::linux_desktop
