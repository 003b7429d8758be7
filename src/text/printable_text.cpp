// SPDX-License-Identifier: MIT
#include "text/printable_text.h"

#include <cstdio>

namespace pelmic {

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";  // so that a name holding the text \x1B is not taken for an escape
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out;
}

std::string Excerpt(std::string_view text, std::size_t maxChars) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::string shown = Printable(text.substr(i, 1));
    if (out.size() + shown.size() > maxChars) return out + "...";
    out += shown;
  }
  return out;
}

}  // namespace pelmic
