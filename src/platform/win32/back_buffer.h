// SPDX-License-Identifier: MIT
// back_buffer.h - the saver window's copy of the canvas: a top-down 32-bit
// DIB section selected into a memory DC, ready to be blitted to the screen.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/win32/handle_owners.h"

namespace pelmic::win32 {

class BackBuffer {
 public:
  // Throws std::runtime_error, having released whatever it made.
  BackBuffer(int widthPx, int heightPx);
  ~BackBuffer();
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;

  // 0x00RRGGBB words, row-major without padding: the canvas's own layout.
  std::uint32_t* Pixels() const { return pixels_; }
  HDC Dc() const { return dc_.get(); }

 private:
  UniqueBitmap bitmap_;
  UniqueDc dc_;  // goes before the bitmap, which must not be selected when deleted
  HGDIOBJ dcOwnBitmap_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
};

}  // namespace pelmic::win32
