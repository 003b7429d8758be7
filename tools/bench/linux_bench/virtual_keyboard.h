// SPDX-License-Identifier: MIT
// virtual_keyboard.h - a keyboard of the probe's own on a Wayland
// compositor's seat (the virtual-keyboard protocol sway offers), made once,
// so that a key costs the probe one message and no program start.
//
//   std::unique_ptr<VirtualKeyboard> keys = VirtualKeyboard::Connect();  // before the saver starts
//   keys->Tap(kKeyA);                                                  // press and release, sent
#pragma once

#include <cstdint>
#include <memory>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace pelmic::bench {

constexpr std::uint32_t kKeyA = 30;  // evdev's KEY_A

class VirtualKeyboard {
 public:
  // The keyboard on the seat of the compositor WAYLAND_DISPLAY names, once
  // the compositor has it; null when none answers or it lacks the protocol.
  static std::unique_ptr<VirtualKeyboard> Connect();
  ~VirtualKeyboard();
  VirtualKeyboard(const VirtualKeyboard&) = delete;
  VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

  // Presses and releases evdev key `key`; returns once both are sent.
  void Tap(std::uint32_t key);

  struct Globals;

 private:
  explicit VirtualKeyboard(wl_display* display) : display_(display) {}

  wl_display* display_;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
  zwp_virtual_keyboard_v1* keyboard_ = nullptr;
};

}  // namespace pelmic::bench
