#include "printable_text.h"

#include <cstdio>

namespace pelmic::render {

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out;
}

std::string Excerpt(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return Printable(text);
  return Printable(text.substr(0, maxBytes)) + "...";
}

}  // namespace pelmic::render
