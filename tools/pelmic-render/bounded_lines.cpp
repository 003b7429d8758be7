#include "bounded_lines.h"

#include <cstdio>
#include <cstring>

namespace pelmic::render {

bool BoundedLines::Refill() {
  in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  pos_ = 0;
  end_ = static_cast<std::size_t>(in_.gcount());
  return end_ > 0;
}

bool BoundedLines::Next(std::string& line) {
  line.clear();
  bool readAny = false;
  for (;;) {
    if (pos_ == end_ && !Refill()) {
      if (!readAny) return false;
      break;  // a last line without '\n'
    }
    readAny = true;
    const char* start = buffer_.data() + pos_;
    const std::size_t available = end_ - pos_;
    const void* newline = std::memchr(start, '\n', available);
    const std::size_t take = newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) : available;
    if (line.size() + take > maxLength_) {
      ++lineNumber_;
      throw LineTooLong{};
    }
    line.append(start, take);
    pos_ += take;
    if (newline) {
      ++pos_;
      break;
    }
  }
  ++lineNumber_;
  return true;
}

std::string Excerpt(const std::string& text, std::size_t maxBytes) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < maxBytes; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += static_cast<char>(byte);
    }
  }
  if (text.size() > maxBytes) out += "...";
  return out;
}

}  // namespace pelmic::render
