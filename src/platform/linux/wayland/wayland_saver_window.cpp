// SPDX-License-Identifier: MIT
#include "platform/linux/wayland/wayland_saver_window.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/linux/process_end.h"
#include "platform/linux/termination_signal.h"
#include "shell/monitor_covers.h"

namespace pelmic::linux_desktop {

namespace {

shell::ScreenRect AreaOf(const WaylandOutput& output) {
  const SDL_Rect& b = output.bounds;
  return {b.x, b.y, b.x + b.w, b.y + b.h};
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace

bool WaylandSaverWanted(const char* videoDriver, const char* waylandDisplay) {
  if (videoDriver != nullptr && *videoDriver != '\0') {
    // SDL reads a list and takes the first driver that works, ignoring case.
    const std::string_view drivers(videoDriver);
    return SameName(drivers.substr(0, drivers.find(',')), "wayland");
  }
  return waylandDisplay != nullptr && *waylandDisplay != '\0';
}

std::unique_ptr<WaylandSaverWindow> WaylandSaverWindow::CoverOutputs() {
  if (!WaylandSaverWanted(std::getenv("SDL_VIDEODRIVER"), std::getenv("WAYLAND_DISPLAY"))) return nullptr;
  std::unique_ptr<WaylandConnection> wayland = WaylandConnection::Connect();
  if (!wayland) return nullptr;
  const std::vector<WaylandOutput> outputs = wayland->Outputs();
  std::vector<shell::MonitorRect> monitors;
  for (const WaylandOutput& output : outputs) monitors.push_back({AreaOf(output), monitors.empty()});
  auto primary = std::make_unique<FullScreenSurface>(*wayland, outputs[0]);
  std::vector<std::unique_ptr<FullScreenSurface>> covers;
  for (const shell::ScreenRect& area : shell::CoverRects(monitors)) {
    // A Wayland window has no place, only an output: the first one there.
    const auto on = std::find_if(monitors.begin(), monitors.end(), [&](const auto& m) { return m.area == area; });
    covers.push_back(std::make_unique<FullScreenSurface>(*wayland, outputs[on - monitors.begin()]));
  }
  // Each toplevel learns its size from its first configuration; the canvas
  // takes the primary's.
  auto configured = [&] {
    if (!primary->Configured()) return false;
    for (const auto& cover : covers) {
      if (!cover->Configured()) return false;
    }
    return true;
  };
  wayland->RunUntil(configured, "configure the saver's windows");
  return std::unique_ptr<WaylandSaverWindow>(
      new WaylandSaverWindow(std::move(wayland), std::move(primary), std::move(covers)));
}

WaylandSaverWindow::WaylandSaverWindow(std::unique_ptr<WaylandConnection> wayland,
                                       std::unique_ptr<FullScreenSurface> primary,
                                       std::vector<std::unique_ptr<FullScreenSurface>> covers)
    : wayland_(std::move(wayland)),
      primary_(std::move(primary)),
      covers_(std::move(covers)),
      canvas_(primary_->PixelWidth(), primary_->PixelHeight()) {
  // The buffers start black, as the canvas does.
  canvas_.TakeDirtyRect();
  wayland_->SetInputSink(this);
}

WaylandSaverWindow::~WaylandSaverWindow() {
  if (!ScreenGivenBack()) return;
  // The end of the process takes the two frame buffers' mappings down in one
  // go, a little faster than unmapping each, and the compositor drops the
  // surfaces and buffers when the connection closes.
  static_cast<void>(wayland_.release());
  static_cast<void>(primary_.release());
  for (auto& cover : covers_) static_cast<void>(cover.release());
}

void WaylandSaverWindow::Show() {
  // A signal during start-up: the first yield ends the saver, so the window
  // need not flash up first.
  if (TerminationRequested()) return;
  shown_ = true;
  for (const auto& cover : covers_) cover->Map();
  // Mapped last: a compositor gives the newest window the keyboard.
  primary_->Map();
  // Sent, not read: input is read only in PumpEvents, where its handlers are.
  wayland_->Flush();
}

void WaylandSaverWindow::Hide() {
  shown_ = false;
  primary_->Unmap();
  for (const auto& cover : covers_) cover->Unmap();
  wayland_->Flush();
  MarkScreenGivenBack();
}

void WaylandSaverWindow::PumpEvents(shell::SaverInput& input) {
  input_ = &input;
  const bool connected = wayland_->DispatchPending();
  input_ = nullptr;
  const bool primaryThere = FollowOutputs();
  if (!connected || !primaryThere || TerminationRequested() || primary_->CloseRequested()) input.CloseRequested();
  for (const auto& cover : covers_) {
    if (shown_ && !cover->Mapped() && cover->Configured()) cover->Map();
    cover->AnswerConfigure();
  }
  // New buffers after a configure: present all of them.
  if (primary_->AnswerConfigure()) canvas_.MarkChanged({0, 0, canvas_.Width(), canvas_.Height()});
  primary_->Settle(canvas_);
}

void WaylandSaverWindow::Present(const DirtyRect& area) {
  if (!area.Empty()) primary_->Present(canvas_, area);
}

bool WaylandSaverWindow::FollowOutputs() {
  bool primaryThere = true;
  wayland_->ForgetRemovedOutputs([&](wl_output* gone) {
    if (primary_->Output().output == gone) primaryThere = false;
    std::erase_if(covers_, [&](const auto& cover) { return cover->Output().output == gone; });
  });
  const std::vector<WaylandOutput> added = wayland_->TakeNewOutputs();
  if (added.empty()) return primaryThere;
  // The rule sees every output there is now, with the primary's place.
  std::vector<shell::MonitorRect> monitors;
  for (const WaylandOutput& output : wayland_->Outputs()) {
    monitors.push_back({AreaOf(output), output.output == primary_->Output().output});
  }
  const std::vector<shell::ScreenRect> areas = shell::CoverRects(monitors);
  for (const WaylandOutput& output : added) {
    const shell::ScreenRect area = AreaOf(output);
    const bool needed = std::find(areas.begin(), areas.end(), area) != areas.end();
    const bool covered = std::any_of(covers_.begin(), covers_.end(),
                                     [&](const auto& cover) { return AreaOf(cover->Output()) == area; });
    // Black from its first configuration on (PumpEvents maps it).
    if (needed && !covered) covers_.push_back(std::make_unique<FullScreenSurface>(*wayland_, output));
  }
  wayland_->Flush();
  return primaryThere;
}

const FullScreenSurface* WaylandSaverWindow::SurfaceFor(const wl_surface* surface) const {
  if (primary_->Owns(surface)) return primary_.get();
  for (const auto& cover : covers_) {
    if (cover->Owns(surface)) return cover.get();
  }
  return nullptr;
}

void WaylandSaverWindow::KeyPressed() {
  if (input_ != nullptr) input_->Form_KeyDown();
}

void WaylandSaverWindow::ButtonPressed() {
  if (input_ != nullptr) input_->Form_Click();
}

void WaylandSaverWindow::PointerAt(wl_surface* surface, double x, double y) {
  const FullScreenSurface* over = SurfaceFor(surface);
  if (input_ == nullptr || over == nullptr) return;
  // In the primary's pixels, from wherever in the layout the pointer is: one
  // pointer, one first position, whichever output it rests on.
  const WaylandOutput& primary = primary_->Output();
  const double scale = primary_->PixelsPerUnit();
  input_->Form_MouseMove(static_cast<float>((x + over->Output().bounds.x - primary.bounds.x) * scale),
                         static_cast<float>((y + over->Output().bounds.y - primary.bounds.y) * scale));
}

}  // namespace pelmic::linux_desktop
