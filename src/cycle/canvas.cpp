// SPDX-License-Identifier: MIT
#include "cycle/canvas.h"

namespace pelmic {

std::string PrintItem::FormatNumber(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  return (n < 0 ? "-" : " ") + digits + " ";
}

void Canvas::Print(std::initializer_list<PrintItem> items) {
  for (const PrintItem& item : items) {
    DrawText(item.text);
    if (item.endOfLine) EndOfLine();
  }
}

}  // namespace pelmic
