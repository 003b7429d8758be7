// SPDX-License-Identifier: MIT
// wayland_presenter.h - the pixels of one Wayland surface: shared-memory
// buffers of its size, black until a canvas is presented into them.
//
//   WaylandPresenter presenter(wayland, surface, 1920, 1080);
//   presenter.AttachBlack();                            // the surface's first buffer, then commit
//   presenter.Present(canvas, canvas.TakeDirtyRect());  // commits
//
// Two buffers take turns, so the compositor never shows a half-drawn frame
// and never sees a buffer it holds being written. A canvas of the buffers'
// size draws straight into the one being prepared: a present shows that
// one, and the canvas moves on to the other as soon as the compositor
// releases it, bringing it up to date from the damage since it was last
// shown. So the surface holds two frames and nothing else. A canvas of
// another size (the compositor changed the window's) keeps memory of its
// own, and a present copies what changed into whichever buffer is free;
// when the compositor holds both, that present is owed (Behind) and made at
// a later call, with whatever was drawn meanwhile. A surface that only ever
// shows black (a cover) has one buffer.
#pragma once

#include <array>
#include <memory>

#include "canvas/raster_canvas.h"
#include "platform/linux/wayland/swap_damage.h"
#include "platform/linux/wayland/wayland_connection.h"
#include "platform/linux/wayland/wayland_shm.h"

struct wl_event_queue;

namespace pelmic::linux_desktop {

class WaylandPresenter {
 public:
  // Buffers of `width` x `height` pixels for `surface`. A canvas presented
  // here may draw into them: it must go before the presenter.
  WaylandPresenter(WaylandConnection& wayland, wl_surface* surface, int width, int height);
  ~WaylandPresenter();
  WaylandPresenter(const WaylandPresenter&) = delete;
  WaylandPresenter& operator=(const WaylandPresenter&) = delete;

  int Width() const { return buffers_[0]->Width(); }
  int Height() const { return buffers_[0]->Height(); }
  // New black buffers of another size; nothing attached. A canvas drawing
  // into the old ones leaves them first, with its picture.
  void Resize(int width, int height);
  // Attaches a black buffer of the whole size (not committed): only before a
  // canvas draws here, or after Resize.
  void AttachBlack();
  // Shows `changed` of the canvas, with what an earlier call could not show,
  // and commits. False when it could not (Behind).
  bool Present(RasterCanvas& canvas, const DirtyRect& changed);
  bool Behind() const { return damage_.Owed(); }

 private:
  ShmBuffer& Buffer(int index);
  // Index of a buffer the compositor does not hold (the one not on the
  // screen, if both are free), or -1.
  int FreeBuffer();
  // Where the canvas draws into buffer `drawing_`: shows it, then moves the
  // canvas on to the other buffer.
  void PresentDrawn(RasterCanvas& canvas);
  // Moves the canvas into buffer `index` (free), bringing it up to date.
  void Carry(RasterCanvas& canvas, int index);
  // Copies the area that changed into a free buffer and shows it.
  bool PresentCopy(const RasterCanvas& canvas);
  void Attach(int index, const DirtyRect& damage);

  WaylandConnection& wayland_;
  wl_surface* surface_;
  wl_event_queue* releases_;  // the buffers' releases, read only here
  std::array<std::unique_ptr<ShmBuffer>, 2> buffers_;
  SwapDamage damage_;
  int onScreen_ = -1;
  int drawing_ = -1;                  // the buffer the canvas draws into, or -1
  RasterCanvas* canvas_ = nullptr;    // the canvas drawing into buffer drawing_
};

}  // namespace pelmic::linux_desktop
