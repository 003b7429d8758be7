// SPDX-License-Identifier: MIT
#include "platform/linux/wayland/wayland_fullscreen.h"

#include <wayland-client.h>

#include <cmath>

#include "viewporter-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace pelmic::linux_desktop {

struct FullScreenSurface::Listeners {
  static void ConfigureToplevel(void* self, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
    auto& surface = *static_cast<FullScreenSurface*>(self);
    surface.askedWidth_ = width;
    surface.askedHeight_ = height;
  }
  static void Close(void* self, xdg_toplevel*) { static_cast<FullScreenSurface*>(self)->closeRequested_ = true; }
  // Ends one configuration: acknowledged at once, answered by the next commit.
  static void ConfigureSurface(void* self, xdg_surface* xdgSurface, std::uint32_t serial) {
    auto& surface = *static_cast<FullScreenSurface*>(self);
    xdg_surface_ack_configure(xdgSurface, serial);
    surface.configured_ = true;
    surface.answerOwed_ = true;
  }

  // xdg_wm_base is bound at version 1: the later events never come.
  static constexpr xdg_toplevel_listener kToplevel{ConfigureToplevel, Close, nullptr, nullptr};
  static constexpr xdg_surface_listener kSurface{ConfigureSurface};
};

FullScreenSurface::FullScreenSurface(WaylandConnection& wayland, const WaylandOutput& output)
    : wayland_(wayland),
      output_(output), surface_(wl_compositor_create_surface(wayland.Compositor())), shm_(wayland.Shm()) {
  if (!output.WholeScale() && wayland.Viewporter() != nullptr) {
    viewport_ = wp_viewporter_get_viewport(wayland.Viewporter(), surface_);
  } else if (wl_surface_get_version(surface_) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION) {
    // Without a viewport a fractional scale gets the next whole number's
    // pixels, which the compositor shrinks: still covered.
    wl_surface_set_buffer_scale(surface_, output.scale);
  }
  HideBeneath(wayland);
  xdgSurface_ = xdg_wm_base_get_xdg_surface(wayland.WmBase(), surface_);
  xdg_surface_add_listener(xdgSurface_, &Listeners::kSurface, this);
  toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
  xdg_toplevel_add_listener(toplevel_, &Listeners::kToplevel, this);
  xdg_toplevel_set_title(toplevel_, "Pelmic");
  xdg_toplevel_set_app_id(toplevel_, "pelmic");
  // Asked before the first commit, so that the window is never shown other
  // than full screen on this output.
  xdg_toplevel_set_fullscreen(toplevel_, output.output);
  wl_surface_commit(surface_);
}

FullScreenSurface::~FullScreenSurface() {
  if (beneathRole_ != nullptr) wl_subsurface_destroy(beneathRole_);
  if (beneath_ != nullptr) wl_surface_destroy(beneath_);
  if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
  xdg_toplevel_destroy(toplevel_);
  xdg_surface_destroy(xdgSurface_);
  wl_surface_destroy(surface_);
}

// sway (1.7 and 1.8) shows the buffer of a full-screen surface that alone
// fills an output straight on it (scan-out). When another output composites
// meanwhile (one at a fractional scale always does), it forgets to repaint
// the first in full once it composites there again, for a screenshot, a
// screen recording or an overlay, and the desktop from before the saver shows
// through. One black pixel beneath the surface makes it two surfaces, which
// sway always composites: every output then stays covered.
void FullScreenSurface::HideBeneath(const WaylandConnection& wayland) {
  if (wayland.Subcompositor() == nullptr) return;
  beneath_ = wl_compositor_create_surface(wayland.Compositor());
  beneathRole_ = wl_subcompositor_get_subsurface(wayland.Subcompositor(), beneath_, surface_);
  wl_subsurface_place_below(beneathRole_, surface_);
  beneathPixel_ = std::make_unique<ShmBuffer>(shm_, 1, 1);
  beneathPixel_->AttachTo(beneath_);
  wl_surface_commit(beneath_);  // shown with the toplevel's next commit
}

// A compositor that leaves the size to us gets the output's.
int FullScreenSurface::UnitWidth() const { return askedWidth_ > 0 ? askedWidth_ : output_.bounds.w; }

int FullScreenSurface::UnitHeight() const { return askedHeight_ > 0 ? askedHeight_ : output_.bounds.h; }

namespace {

// `units` of an output `outputUnits` long that has `pixels` pixels.
int ToPixels(int units, int pixels, int outputUnits) {
  if (outputUnits <= 0) return units;
  return static_cast<int>(std::lround(static_cast<double>(units) * pixels / outputUnits));
}

}  // namespace

int FullScreenSurface::PixelWidth() const {
  if (viewport_ == nullptr) return UnitWidth() * output_.scale;
  return ToPixels(UnitWidth(), output_.pixelWidth, output_.bounds.w);
}

int FullScreenSurface::PixelHeight() const {
  if (viewport_ == nullptr) return UnitHeight() * output_.scale;
  return ToPixels(UnitHeight(), output_.pixelHeight, output_.bounds.h);
}

bool FullScreenSurface::MakeBuffers() {
  if (viewport_ != nullptr) wp_viewport_set_destination(viewport_, UnitWidth(), UnitHeight());
  if (presenter_ == nullptr) {
    presenter_ = std::make_unique<WaylandPresenter>(wayland_, surface_, PixelWidth(), PixelHeight());
    return true;
  }
  if (PixelWidth() == presenter_->Width() && PixelHeight() == presenter_->Height()) return false;
  presenter_->Resize(PixelWidth(), PixelHeight());
  return true;
}

void FullScreenSurface::Map() {
  MakeBuffers();
  presenter_->AttachBlack();
  presenter_->Commit();
  mapped_ = true;
  answerOwed_ = false;
}

void FullScreenSurface::Unmap() {
  wl_surface_attach(surface_, nullptr, 0, 0);
  wl_surface_commit(surface_);
  mapped_ = false;
}

bool FullScreenSurface::FrameReady(RasterCanvas& canvas) { return mapped_ && presenter_->Ready(canvas); }

void FullScreenSurface::Settle(RasterCanvas& canvas) {
  if (mapped_) presenter_->Settle(canvas);
}

void FullScreenSurface::Present(RasterCanvas& canvas, const DirtyRect& changed) {
  presenter_->Present(canvas, changed);
}

bool FullScreenSurface::AnswerConfigure() {
  if (!answerOwed_ || !mapped_) return false;
  answerOwed_ = false;
  const bool resized = MakeBuffers();
  if (resized) {
    presenter_->AttachBlack();
    presenter_->Commit();
  } else {
    wl_surface_commit(surface_);
  }
  return resized;
}

}  // namespace pelmic::linux_desktop
