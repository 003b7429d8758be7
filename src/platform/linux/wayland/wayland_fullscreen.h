// SPDX-License-Identifier: MIT
// wayland_fullscreen.h - one full-screen xdg-shell toplevel on an output, and
// the buffers it shows: black until a canvas is presented.
//
//   FullScreenSurface surface(wayland, output);   // hidden; full screen asked
//   wayland.RunUntil([&] { return surface.Configured(); }, "configure the window");
//   surface.Map();                                // black
//   if (surface.FrameReady(canvas)) surface.Present(canvas, canvas.TakeDirtyRect());
//   wayland.DispatchPending();
//   if (surface.AnswerConfigure()) { /* new size, black: present it all */ }
//
// A compositor may configure the toplevel again at any time (an output's
// mode changed); it waits for a commit that answers, so AnswerConfigure is
// called after every dispatch.
//
// The buffers have the output's own pixels: at a whole-number scale through
// the buffer scale, at a fractional one (told as the next whole number)
// through a viewport that maps them onto the surface's size.
#pragma once

#include <memory>

#include "canvas/raster_canvas.h"
#include "platform/linux/wayland/wayland_connection.h"
#include "platform/linux/wayland/wayland_presenter.h"

struct wl_subsurface;
struct wp_viewport;
struct xdg_surface;
struct xdg_toplevel;

namespace pelmic::linux_desktop {

class FullScreenSurface {
 public:
  FullScreenSurface(WaylandConnection& wayland, const WaylandOutput& output);
  ~FullScreenSurface();
  FullScreenSurface(const FullScreenSurface&) = delete;
  FullScreenSurface& operator=(const FullScreenSurface&) = delete;

  bool Configured() const { return configured_; }
  // Once configured: the size in buffer pixels, and buffer pixels per
  // surface unit.
  int PixelWidth() const;
  int PixelHeight() const;
  double PixelsPerUnit() const { return static_cast<double>(PixelWidth()) / UnitWidth(); }
  bool Mapped() const { return mapped_; }
  const WaylandOutput& Output() const { return output_; }
  bool Owns(const wl_surface* surface) const { return surface == surface_; }
  // The compositor asked the window to close (the output went away).
  bool CloseRequested() const { return closeRequested_; }

  // Shows the configured surface, black, or hides it. Map throws
  // std::runtime_error when the buffers cannot be had.
  void Map();
  void Unmap();
  // Whether the compositor takes a frame of `canvas` now: the surface is
  // mapped, and its presenter ready (wayland_presenter.h).
  bool FrameReady(RasterCanvas& canvas);
  // Lets a canvas presented here move on from the buffer it was presented
  // in, once the compositor gives the other back; every turn.
  void Settle(RasterCanvas& canvas);
  // Shows `changed` of the canvas; only when FrameReady. The canvas may go
  // on drawing straight into the surface's buffers: it must go before the
  // surface.
  void Present(RasterCanvas& canvas, const DirtyRect& changed);
  // Commits the answer to a configuration the compositor asked for since
  // the last call: black buffers of the new size where the size changed.
  // True when it changed. Throws std::runtime_error when the buffers cannot
  // be had.
  bool AnswerConfigure();

  // Runs inside libwayland's dispatch, which no exception may cross: the
  // listeners only note what they are told.
  struct Listeners;

 private:
  // Buffers of the configured size; true when they are new.
  bool MakeBuffers();
  int UnitWidth() const;
  int UnitHeight() const;
  void HideBeneath(const WaylandConnection& wayland);

  WaylandConnection& wayland_;
  WaylandOutput output_;
  wl_surface* surface_;
  wl_shm* shm_;
  xdg_surface* xdgSurface_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  wp_viewport* viewport_ = nullptr;  // at a fractional scale
  wl_surface* beneath_ = nullptr;    // see HideBeneath
  wl_subsurface* beneathRole_ = nullptr;
  std::unique_ptr<ShmBuffer> beneathPixel_;
  std::unique_ptr<WaylandPresenter> presenter_;  // from the first map on
  int askedWidth_ = 0, askedHeight_ = 0;         // surface units; 0: ours to choose
  bool configured_ = false;
  bool answerOwed_ = false;
  bool mapped_ = false;
  bool closeRequested_ = false;
};

}  // namespace pelmic::linux_desktop
