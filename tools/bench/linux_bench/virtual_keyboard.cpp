// SPDX-License-Identifier: MIT
#include "virtual_keyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstring>
#include <string_view>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace pelmic::bench {

namespace {

// Any key map will do: the saver reads no key's meaning. The compositor
// builds this one from the system's XKB data, as for a US keyboard.
constexpr std::string_view kKeymap =
    "xkb_keymap {\n"
    "  xkb_keycodes { include \"evdev+aliases(qwerty)\" };\n"
    "  xkb_types { include \"complete\" };\n"
    "  xkb_compat { include \"complete\" };\n"
    "  xkb_symbols { include \"pc+us+inet(evdev)\" };\n"
    "};\n";

// The key map in a memfd, as the protocol passes it: its text and a NUL.
int KeymapFile() {
  const int fd = memfd_create("pelmic-probe-keymap", MFD_CLOEXEC);
  if (fd < 0) return -1;
  if (write(fd, kKeymap.data(), kKeymap.size()) != static_cast<ssize_t>(kKeymap.size()) || write(fd, "", 1) != 1) {
    close(fd);
    return -1;
  }
  return fd;
}

std::uint32_t NowMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

struct VirtualKeyboard::Globals {
  static void Global(void* self, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto& keys = *static_cast<VirtualKeyboard*>(self);
    const std::string_view kind(interface);
    if (kind == wl_seat_interface.name && keys.seat_ == nullptr) {
      keys.seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (kind == zwp_virtual_keyboard_manager_v1_interface.name && keys.manager_ == nullptr) {
      keys.manager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
          wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    }
  }
  static void GlobalRemove(void*, wl_registry*, std::uint32_t) {}
  static constexpr wl_registry_listener kRegistry{Global, GlobalRemove};
};

std::unique_ptr<VirtualKeyboard> VirtualKeyboard::Connect() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return nullptr;
  std::unique_ptr<VirtualKeyboard> keys(new VirtualKeyboard(display));
  keys->registry_ = wl_display_get_registry(display);
  wl_registry_add_listener(keys->registry_, &Globals::kRegistry, keys.get());
  if (wl_display_roundtrip(display) < 0 || keys->seat_ == nullptr || keys->manager_ == nullptr) return nullptr;
  const int keymap = KeymapFile();
  if (keymap < 0) return nullptr;
  keys->keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(keys->manager_, keys->seat_);
  zwp_virtual_keyboard_v1_keymap(keys->keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, keymap,
                                 static_cast<std::uint32_t>(kKeymap.size() + 1));
  close(keymap);
  // Answered: the compositor has the keyboard and its map before any key.
  if (wl_display_roundtrip(display) < 0) return nullptr;
  return keys;
}

VirtualKeyboard::~VirtualKeyboard() {
  if (keyboard_ != nullptr) zwp_virtual_keyboard_v1_destroy(keyboard_);
  if (manager_ != nullptr) zwp_virtual_keyboard_manager_v1_destroy(manager_);
  if (seat_ != nullptr) wl_seat_destroy(seat_);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

void VirtualKeyboard::Tap(std::uint32_t key) {
  zwp_virtual_keyboard_v1_key(keyboard_, NowMs(), key, WL_KEYBOARD_KEY_STATE_PRESSED);
  zwp_virtual_keyboard_v1_key(keyboard_, NowMs(), key, WL_KEYBOARD_KEY_STATE_RELEASED);
  wl_display_flush(display_);
}

}  // namespace pelmic::bench
