// SPDX-License-Identifier: MIT
#include "bounded_lines.h"

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

}  // namespace pelmic::render
