// SPDX-License-Identifier: MIT
// wayland_shm.h - a pixel buffer that the Wayland compositor reads straight
// from our memory (wl_shm), XRGB8888 like the canvas's pixels.
//
//   ShmBuffer frame(shm, 1920, 1080);  // black: a fresh buffer is all zeros
//   frame.AttachTo(surface);           // then damage and commit the surface
//   ...                                // later, after the events are read:
//   if (!frame.Busy()) { /* write frame.Row(y) */ }
//
// A buffer is busy from its attachment until the compositor releases it;
// writing it meanwhile could show a half-written frame.
#pragma once

#include <cstddef>
#include <cstdint>

struct wl_buffer;
struct wl_event_queue;
struct wl_shm;
struct wl_surface;

namespace pelmic::linux_desktop {

class ShmBuffer {
 public:
  // Nothing of it is resident until written. Its release comes on `queue`
  // (the connection's own when null). Throws std::runtime_error when the
  // memory cannot be had.
  ShmBuffer(wl_shm* shm, int width, int height, wl_event_queue* queue = nullptr);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint32_t* Pixels() { return pixels_; }
  std::uint32_t* Row(int y) { return pixels_ + static_cast<std::ptrdiff_t>(y) * width_; }
  bool Busy() const { return busy_; }
  // Attaches the buffer to `surface` at (0, 0); busy until released.
  void AttachTo(wl_surface* surface);

  // wl_buffer's listener.
  static void OnRelease(void* self, wl_buffer* buffer);

 private:
  int width_, height_;
  std::size_t bytes_;
  std::uint32_t* pixels_ = nullptr;
  wl_buffer* buffer_ = nullptr;
  bool busy_ = false;
};

}  // namespace pelmic::linux_desktop
