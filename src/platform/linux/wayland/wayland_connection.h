// SPDX-License-Identifier: MIT
// wayland_connection.h - the full-screen saver's own connection to a Wayland
// compositor: the globals it needs, the outputs, and the seat's keys, buttons
// and pointer, handed to an input sink.
//
//   std::unique_ptr<WaylandConnection> wayland = WaylandConnection::Connect();
//   const std::vector<WaylandOutput> outputs = wayland->Outputs();
//   wayland->SetInputSink(&sink);
//   if (!wayland->DispatchPending()) { /* the compositor went away */ }
//
// SDL 2.26 makes every Wayland window an OpenGL one (Mesa with LLVM: some
// 60 MB resident before a pixel is drawn), so the saver's windows on Wayland
// are plain xdg-shell toplevels of ours that show shared-memory buffers.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_event_queue;
struct wl_keyboard;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_subcompositor;
struct wl_surface;
struct wp_viewporter;
struct xdg_wm_base;
struct zxdg_output_manager_v1;

namespace pelmic::linux_desktop {

struct WaylandOutput {
  wl_output* output;
  SDL_Rect bounds;  // place and size in the compositor's layout, in surface units
  int scale;        // the compositor's whole-number scale: at least the real one
  int pixelWidth, pixelHeight;  // the output's own (device) pixels, as laid out

  // Whether `scale` surface units make the output's pixels exactly; a
  // fractional scale (1.5) does not, and is told as the next whole number.
  bool WholeScale() const { return bounds.w * scale == pixelWidth && bounds.h * scale == pixelHeight; }
};

// Where the seat's input goes; called only while events are dispatched.
class WaylandInputSink {
 public:
  virtual ~WaylandInputSink() = default;
  virtual void KeyPressed() = 0;
  virtual void ButtonPressed() = 0;
  // The pointer at (x, y) on `surface`, in surface units: where it entered
  // the surface, or where it moved to.
  virtual void PointerAt(wl_surface* surface, double x, double y) = 0;
};

class WaylandConnection {
 public:
  // The compositor WAYLAND_DISPLAY names, or null when none answers. Throws
  // std::runtime_error when it lacks what the saver needs (shared memory,
  // xdg-shell, an output).
  static std::unique_ptr<WaylandConnection> Connect();
  ~WaylandConnection();
  WaylandConnection(const WaylandConnection&) = delete;
  WaylandConnection& operator=(const WaylandConnection&) = delete;

  wl_display* Display() const { return display_; }
  wl_compositor* Compositor() const { return compositor_; }
  wl_shm* Shm() const { return shm_; }
  xdg_wm_base* WmBase() const { return wmBase_; }
  // Null where the compositor lacks them.
  wp_viewporter* Viewporter() const { return viewporter_; }
  wl_subcompositor* Subcompositor() const { return subcompositor_; }
  // In the order the compositor announced them, which is SDL's display order.
  // Places come from xdg-output where the compositor offers it (wl_output
  // alone tells none on wlroots compositors).
  std::vector<WaylandOutput> Outputs() const;
  // Outputs connected since the last call (or since Connect), once the
  // compositor has told their place and size.
  std::vector<WaylandOutput> TakeNewOutputs();
  // Calls `forget` with each output disconnected since the last call and
  // handed out before, then releases the output: `forget` drops everything
  // that names it.
  void ForgetRemovedOutputs(const std::function<void(wl_output*)>& forget);

  void SetInputSink(WaylandInputSink* sink) { sink_ = sink; }
  // Sends what is queued, then reads and runs what the compositor sent,
  // without waiting. False once the connection is broken.
  bool DispatchPending();
  // Sends what is queued, without waiting for an answer.
  void Flush();
  // Sends what is queued and runs everything the compositor sends until it
  // has answered. Throws as RunUntil does.
  void Roundtrip();
  // Sends what is queued and runs what the compositor sends until `done`
  // holds: everything, or only the events of `queue` where one is given (the
  // rest waits for the next dispatch). A compositor that never gets there
  // must not keep the saver, or the daemon that started it, waiting: throws
  // std::runtime_error when the connection breaks, when kAnswerLimitS seconds
  // pass first ("the Wayland compositor did not " + `what`), or soon after
  // SIGTERM or SIGINT, which end the program with status 0.
  void RunUntil(const std::function<bool()>& done, const char* what, wl_event_queue* queue = nullptr);
  static constexpr int kAnswerLimitS = 5;

  struct Output;  // what the compositor told about one output
  struct Listeners;

 private:
  explicit WaylandConnection(wl_display* display);
  // DispatchPending, waiting up to `waitMs` for the compositor to send; of
  // `queue` only, where one is given.
  bool Dispatch(int waitMs, wl_event_queue* queue = nullptr);
  void AddOutput(wl_registry* registry, std::uint32_t name, std::uint32_t version);
  // Destroys what was bound and disconnects.
  void Release();

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  xdg_wm_base* wmBase_ = nullptr;
  zxdg_output_manager_v1* outputManager_ = nullptr;
  wp_viewporter* viewporter_ = nullptr;
  wl_subcompositor* subcompositor_ = nullptr;
  wl_seat* seat_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  wl_surface* pointerSurface_ = nullptr;  // the surface the pointer is over
  std::vector<std::unique_ptr<Output>> outputs_;  // gone ones only until forgotten
  WaylandInputSink* sink_ = nullptr;
};

}  // namespace pelmic::linux_desktop
