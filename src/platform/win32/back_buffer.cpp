// SPDX-License-Identifier: MIT
#include "platform/win32/back_buffer.h"

#include <stdexcept>

#include "platform/win32/creation_steps.h"

namespace pelmic::win32 {

BackBuffer::BackBuffer(int widthPx, int heightPx) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = widthPx;
  info.bmiHeader.biHeight = -heightPx;  // top-down, like the canvas
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreationStep(Made::GdiObject,
                             [&] { return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0); }));
  if (bitmap_ == nullptr) throw std::runtime_error("cannot create the back buffer");
  dc_.reset(CreationStep(Made::GdiObject, [] { return CreateCompatibleDC(nullptr); }));
  if (dc_ == nullptr) throw std::runtime_error("cannot create the back buffer");
  pixels_ = static_cast<std::uint32_t*>(bits);
  dcOwnBitmap_ = SelectObject(dc_.get(), bitmap_.get());
}

BackBuffer::~BackBuffer() { SelectObject(dc_.get(), dcOwnBitmap_); }

}  // namespace pelmic::win32
