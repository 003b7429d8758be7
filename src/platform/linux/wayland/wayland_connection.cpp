// SPDX-License-Identifier: MIT
#include "platform/linux/wayland/wayland_connection.h"

#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/linux/termination_signal.h"
#include "viewporter-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace pelmic::linux_desktop {

struct WaylandConnection::Output {
  std::uint32_t name = 0;  // the compositor's, for its removal
  wl_output* output = nullptr;
  zxdg_output_v1* xdgOutput = nullptr;
  bool told = false;       // wl_output.done came: what it said holds
  bool handedOut = false;  // given to the saver already
  bool gone = false;
  int x = 0, y = 0;
  int modeWidth = 0, modeHeight = 0;
  int scale = 1;
  bool sideways = false;  // turned a quarter: the mode's width runs down the layout
  SDL_Rect logical{};  // from xdg-output; empty until told

  SDL_Rect Bounds() const {
    if (logical.w > 0 && logical.h > 0) return logical;
    const int width = sideways ? modeHeight : modeWidth;
    const int height = sideways ? modeWidth : modeHeight;
    return {x, y, width / scale, height / scale};
  }
  WaylandOutput Public() const {
    const SDL_Rect bounds = Bounds();
    // A mode not told yet: the layout's size at the whole-number scale.
    const int width = modeWidth > 0 ? (sideways ? modeHeight : modeWidth) : bounds.w * scale;
    const int height = modeHeight > 0 ? (sideways ? modeWidth : modeHeight) : bounds.h * scale;
    return {output, bounds, scale, width, height};
  }
  bool Ready() const { return told && (xdgOutput == nullptr || (logical.w > 0 && logical.h > 0)); }
};

namespace {

// Newer versions would only add events the saver has no use for.
constexpr std::uint32_t kCompositorVersion = 4;  // wl_surface.damage_buffer
constexpr std::uint32_t kOutputVersion = 3;      // wl_output.scale and done; release

template <typename T>
T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface, std::uint32_t version,
        std::uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(version, wanted)));
}

}  // namespace

// The compositor's events, as plain functions for libwayland's listener tables.
struct WaylandConnection::Listeners {
  static void Global(void* self, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) {
    auto& wayland = *static_cast<WaylandConnection*>(self);
    const std::string_view kind(interface);
    if (kind == wl_compositor_interface.name && wayland.compositor_ == nullptr) {
      wayland.compositor_ = Bind<wl_compositor>(registry, name, wl_compositor_interface, version, kCompositorVersion);
    } else if (kind == wl_shm_interface.name && wayland.shm_ == nullptr) {
      wayland.shm_ = Bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
    } else if (kind == xdg_wm_base_interface.name && wayland.wmBase_ == nullptr) {
      wayland.wmBase_ = Bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 1);
      xdg_wm_base_add_listener(wayland.wmBase_, &kWmBase, nullptr);
    } else if (kind == zxdg_output_manager_v1_interface.name && wayland.outputManager_ == nullptr) {
      wayland.outputManager_ = Bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface,
                                                            version, 1);
    } else if (kind == wp_viewporter_interface.name && wayland.viewporter_ == nullptr) {
      wayland.viewporter_ = Bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
    } else if (kind == wl_subcompositor_interface.name && wayland.subcompositor_ == nullptr) {
      wayland.subcompositor_ = Bind<wl_subcompositor>(registry, name, wl_subcompositor_interface, version, 1);
    } else if (kind == wl_seat_interface.name && wayland.seat_ == nullptr) {
      wayland.seat_ = Bind<wl_seat>(registry, name, wl_seat_interface, version, 1);
      wl_seat_add_listener(wayland.seat_, &kSeat, self);
    } else if (kind == wl_output_interface.name) {
      wayland.AddOutput(registry, name, version);
    }
  }
  // An output the saver knows of is only marked gone here: the saver forgets
  // it (ForgetRemovedOutputs) before its objects go. Any other goes at once.
  static void GlobalRemove(void* self, wl_registry*, std::uint32_t name) {
    auto& outputs = static_cast<WaylandConnection*>(self)->outputs_;
    const auto removed = std::find_if(outputs.begin(), outputs.end(),
                                      [&](const auto& output) { return output->name == name && !output->gone; });
    if (removed == outputs.end()) return;
    if ((*removed)->handedOut) {
      (*removed)->gone = true;
      return;
    }
    ReleaseOutput(**removed);
    outputs.erase(removed);
  }

  static void Ping(void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }

  static void Geometry(void* self, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                       std::int32_t, const char*, const char*, std::int32_t transform) {
    auto& output = *static_cast<Output*>(self);
    output.x = x;
    output.y = y;
    output.sideways = (transform & 1) != 0;  // 90 and 270 degrees, flipped or not
  }
  static void Mode(void* self, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                   std::int32_t) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    auto& output = *static_cast<Output*>(self);
    output.modeWidth = width;
    output.modeHeight = height;
  }
  static void Done(void* self, wl_output*) { static_cast<Output*>(self)->told = true; }
  static void Scale(void* self, wl_output*, std::int32_t factor) {
    static_cast<Output*>(self)->scale = std::max(factor, 1);
  }

  static void LogicalPosition(void* self, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    auto& output = *static_cast<Output*>(self);
    output.logical.x = x;
    output.logical.y = y;
  }
  static void LogicalSize(void* self, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
    auto& output = *static_cast<Output*>(self);
    output.logical.w = width;
    output.logical.h = height;
  }
  static void LogicalDone(void*, zxdg_output_v1*) {}

  static void Capabilities(void* self, wl_seat* seat, std::uint32_t capabilities) {
    auto& wayland = *static_cast<WaylandConnection*>(self);
    const bool keys = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keys && wayland.keyboard_ == nullptr) {
      wayland.keyboard_ = wl_seat_get_keyboard(seat);
      wl_keyboard_add_listener(wayland.keyboard_, &kKeyboard, self);
    } else if (!keys && wayland.keyboard_ != nullptr) {
      wl_keyboard_destroy(wayland.keyboard_);
      wayland.keyboard_ = nullptr;
    }
    if (pointer && wayland.pointer_ == nullptr) {
      wayland.pointer_ = wl_seat_get_pointer(seat);
      wl_pointer_add_listener(wayland.pointer_, &kPointer, self);
    } else if (!pointer && wayland.pointer_ != nullptr) {
      wl_pointer_destroy(wayland.pointer_);
      wayland.pointer_ = nullptr;
      wayland.pointerSurface_ = nullptr;
    }
  }

  // Any key ends the saver: the key map is not needed.
  static void Keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }
  // Keys already down as the saver's window gets the keyboard are no input to it.
  static void KeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
  static void KeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
  static void Key(void* self, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
    auto& wayland = *static_cast<WaylandConnection*>(self);
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED && wayland.sink_ != nullptr) wayland.sink_->KeyPressed();
  }
  static void Modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                        std::uint32_t) {}

  static void PointerEnter(void* self, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                           wl_fixed_t y) {
    auto& wayland = *static_cast<WaylandConnection*>(self);
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no cursor over the saver
    wayland.pointerSurface_ = surface;
    if (wayland.sink_ != nullptr) wayland.sink_->PointerAt(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
  }
  static void PointerLeave(void* self, wl_pointer*, std::uint32_t, wl_surface*) {
    static_cast<WaylandConnection*>(self)->pointerSurface_ = nullptr;
  }
  static void Motion(void* self, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    auto& wayland = *static_cast<WaylandConnection*>(self);
    if (wayland.sink_ == nullptr || wayland.pointerSurface_ == nullptr) return;
    wayland.sink_->PointerAt(wayland.pointerSurface_, wl_fixed_to_double(x), wl_fixed_to_double(y));
  }
  static void Button(void* self, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
    auto& wayland = *static_cast<WaylandConnection*>(self);
    if (state == WL_POINTER_BUTTON_STATE_PRESSED && wayland.sink_ != nullptr) wayland.sink_->ButtonPressed();
  }
  // The wheel is no click, as on X11 and Windows.
  static void Axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}

  // Gives back the output's objects; the compositor forgets them too where it
  // can be told (wl_output.release).
  static void ReleaseOutput(Output& output) {
    if (output.xdgOutput != nullptr) zxdg_output_v1_destroy(output.xdgOutput);
    if (wl_output_get_version(output.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
      wl_output_release(output.output);
    } else {
      wl_output_destroy(output.output);
    }
  }

  // Asks xdg-output for the output's place and size in the layout.
  static void AskLogical(zxdg_output_manager_v1* manager, Output& output) {
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(manager, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &kLogical, &output);
  }

  static constexpr wl_registry_listener kRegistry{Global, GlobalRemove};
  static constexpr xdg_wm_base_listener kWmBase{Ping};
  static constexpr wl_output_listener kOutput{Geometry, Mode, Done, Scale, nullptr, nullptr};
  static constexpr zxdg_output_v1_listener kLogical{LogicalPosition, LogicalSize, LogicalDone, nullptr, nullptr};
  static constexpr wl_seat_listener kSeat{Capabilities, nullptr};
  static constexpr wl_keyboard_listener kKeyboard{Keymap, KeyboardEnter, KeyboardLeave, Key, Modifiers, nullptr};
  // The seat is bound at version 1: the later events never come.
  static constexpr wl_pointer_listener kPointer{PointerEnter, PointerLeave, Motion,  Button,  Axis,
                                                nullptr,      nullptr,      nullptr, nullptr, nullptr};
};

std::unique_ptr<WaylandConnection> WaylandConnection::Connect() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return nullptr;
  return std::unique_ptr<WaylandConnection>(new WaylandConnection(display));
}

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {
  try {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &Listeners::kRegistry, this);
    Roundtrip();  // the globals
    if (outputManager_ != nullptr) {
      for (const auto& output : outputs_) {
        if (output->xdgOutput == nullptr) Listeners::AskLogical(outputManager_, *output);
      }
    }
    Roundtrip();  // what the outputs and the seat tell about themselves
    if (compositor_ == nullptr || shm_ == nullptr || wmBase_ == nullptr) {
      throw std::runtime_error("the Wayland compositor lacks shared memory or xdg-shell");
    }
    for (const auto& output : outputs_) output->handedOut = true;
    if (outputs_.empty()) throw std::runtime_error("the Wayland compositor has no output");
  } catch (...) {
    Release();
    throw;
  }
}

WaylandConnection::~WaylandConnection() { Release(); }

void WaylandConnection::AddOutput(wl_registry* registry, std::uint32_t name, std::uint32_t version) {
  auto output = std::make_unique<Output>();
  output->name = name;
  output->output = Bind<wl_output>(registry, name, wl_output_interface, version, kOutputVersion);
  wl_output_add_listener(output->output, &Listeners::kOutput, output.get());
  // At start-up the manager may not be bound yet: the constructor asks then.
  if (outputManager_ != nullptr) Listeners::AskLogical(outputManager_, *output);
  outputs_.push_back(std::move(output));
}

void WaylandConnection::Release() {
  if (display_ == nullptr) return;
  if (keyboard_ != nullptr) wl_keyboard_destroy(keyboard_);
  if (pointer_ != nullptr) wl_pointer_destroy(pointer_);
  if (seat_ != nullptr) wl_seat_destroy(seat_);
  for (const auto& output : outputs_) Listeners::ReleaseOutput(*output);
  outputs_.clear();
  if (outputManager_ != nullptr) zxdg_output_manager_v1_destroy(outputManager_);
  if (viewporter_ != nullptr) wp_viewporter_destroy(viewporter_);
  if (subcompositor_ != nullptr) wl_subcompositor_destroy(subcompositor_);
  if (wmBase_ != nullptr) xdg_wm_base_destroy(wmBase_);
  if (shm_ != nullptr) wl_shm_destroy(shm_);
  if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
  display_ = nullptr;
}

std::vector<WaylandOutput> WaylandConnection::Outputs() const {
  std::vector<WaylandOutput> outputs;
  for (const auto& output : outputs_) {
    if (!output->gone) outputs.push_back(output->Public());
  }
  return outputs;
}

std::vector<WaylandOutput> WaylandConnection::TakeNewOutputs() {
  std::vector<WaylandOutput> outputs;
  for (const auto& output : outputs_) {
    if (output->handedOut || output->gone || !output->Ready()) continue;
    output->handedOut = true;
    outputs.push_back(output->Public());
  }
  return outputs;
}

void WaylandConnection::ForgetRemovedOutputs(const std::function<void(wl_output*)>& forget) {
  std::erase_if(outputs_, [&](const std::unique_ptr<Output>& output) {
    if (!output->gone) return false;
    forget(output->output);
    Listeners::ReleaseOutput(*output);
    return true;
  });
}

bool WaylandConnection::DispatchPending() { return Dispatch(0); }

bool WaylandConnection::Dispatch(int waitMs, wl_event_queue* queue) {
  const auto prepare = [&] {
    return queue != nullptr ? wl_display_prepare_read_queue(display_, queue) : wl_display_prepare_read(display_);
  };
  const auto dispatch = [&] {
    return queue != nullptr ? wl_display_dispatch_queue_pending(display_, queue) : wl_display_dispatch_pending(display_);
  };
  while (prepare() != 0) {
    if (dispatch() < 0) return false;
  }
  wl_display_flush(display_);  // a full socket sends the rest next time
  pollfd ready{wl_display_get_fd(display_), POLLIN, 0};
  // A signal on this thread ends the wait early (EINTR), as if nothing came.
  if (poll(&ready, 1, waitMs) > 0) {
    if (wl_display_read_events(display_) < 0) return false;
  } else {
    wl_display_cancel_read(display_);
  }
  return dispatch() >= 0;
}

void WaylandConnection::Flush() { wl_display_flush(display_); }

void WaylandConnection::Roundtrip() {
  static constexpr wl_callback_listener kAnswered{
      [](void* answered, wl_callback*, std::uint32_t) { *static_cast<bool*>(answered) = true; }};
  bool answered = false;
  wl_callback* sync = wl_display_sync(display_);
  wl_callback_add_listener(sync, &kAnswered, &answered);
  try {
    RunUntil([&] { return answered; }, "answer");
  } catch (...) {
    wl_callback_destroy(sync);
    throw;
  }
  wl_callback_destroy(sync);
}

void WaylandConnection::RunUntil(const std::function<bool()>& done, const char* what, wl_event_queue* queue) {
  using Clock = std::chrono::steady_clock;
  // Short waits: a signal that lands on another thread is seen within one.
  constexpr auto kSlice = std::chrono::milliseconds(50);
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kAnswerLimitS);
  while (!done()) {
    // Never reported: main ends with status 0 on a stop request.
    if (TerminationRequested()) throw std::runtime_error("stopped while waiting for the Wayland compositor");
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      throw std::runtime_error(std::string("the Wayland compositor did not ") + what + " within " +
                               std::to_string(kAnswerLimitS) + " s");
    }
    if (!Dispatch(static_cast<int>(std::min(left, kSlice).count()), queue)) {
      throw std::runtime_error("the Wayland compositor closed the connection");
    }
  }
}

}  // namespace pelmic::linux_desktop
