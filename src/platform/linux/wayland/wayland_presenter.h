// SPDX-License-Identifier: MIT
// wayland_presenter.h - the pixels of one Wayland surface: shared-memory
// buffers of its size, black until a canvas is presented into them.
//
//   WaylandPresenter presenter(wayland, surface, 1920, 1080);
//   presenter.AttachBlack();                            // the surface's first buffer, then commit
//   if (presenter.Ready(canvas)) presenter.Present(canvas, canvas.TakeDirtyRect());  // commits
//
// Two buffers take turns, so the compositor never shows a frame half drawn
// when it was presented. A canvas of the buffers' size draws straight into
// the one being prepared: a present shows that one, and the canvas moves on
// to the other as soon as the compositor has let it go, brought up to date
// from the damage since it was last shown. So the surface holds two frames
// and nothing else. Nothing ever waits: until the other buffer comes back
// (a round trip: a compositor that keeps the buffer it shows lets it go as
// it takes the new one) the canvas draws on in the buffer just presented,
// and such a compositor may show what is drawn in that moment a frame early.
// The next present is made once the canvas has moved on and the compositor
// has asked for the next frame (its frame callback): a screen that stops
// asking (switched off, locked) only holds the picture back until it asks
// again. A canvas of another size (the compositor changed the window's)
// keeps memory of its own, and a present copies what changed into whichever
// buffer is free. A surface that only ever shows black (a cover) has one
// buffer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "canvas/raster_canvas.h"
#include "platform/linux/wayland/swap_damage.h"
#include "platform/linux/wayland/wayland_connection.h"
#include "platform/linux/wayland/wayland_shm.h"

struct wl_callback;
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
  // Commits what was attached, asking for the frame callback that tells when
  // the compositor wants the next frame. Only for a commit that changes what
  // the surface shows: the compositor answers a frame callback only once it
  // has drawn something.
  void Commit();
  // Moves the canvas on from the buffer it was presented in, once the
  // compositor has let the other one go (as read so far); every turn.
  void Settle(RasterCanvas& canvas);
  // Whether a present of `canvas` can be made now, as told by the
  // compositor's releases and frame callbacks read so far.
  bool Ready(RasterCanvas& canvas);
  // Shows `changed` of the canvas and commits; only when Ready.
  void Present(RasterCanvas& canvas, const DirtyRect& changed);

 private:
  ShmBuffer& Buffer(int index);
  // Index of a buffer the compositor does not hold (the one not on the
  // screen, if both are free), or -1.
  int FreeBuffer();
  // Where the canvas draws into buffer `drawing_`: shows it, and moves the
  // canvas on to the other buffer if that one is free already.
  void PresentDrawn(RasterCanvas& canvas);
  // Moves the canvas into buffer `index` (free), bringing it up to date with
  // the picture, what is drawn but not yet presented included.
  void Carry(RasterCanvas& canvas, int index);
  // Copies the area that changed into a free buffer and shows it.
  void PresentCopy(const RasterCanvas& canvas);
  void Attach(int index, const DirtyRect& damage);
  static void FrameDone(void* presenter, wl_callback* callback, std::uint32_t time);

  WaylandConnection& wayland_;
  wl_surface* surface_;
  wl_event_queue* releases_;  // the buffers' releases, read only here
  std::array<std::unique_ptr<ShmBuffer>, 2> buffers_;
  SwapDamage damage_;
  int onScreen_ = -1;
  int drawing_ = -1;                  // the buffer the canvas draws into, or -1
  RasterCanvas* canvas_ = nullptr;    // the canvas drawing into buffer drawing_
  wl_callback* frame_ = nullptr;      // the frame callback asked for and not yet done
};

}  // namespace pelmic::linux_desktop
