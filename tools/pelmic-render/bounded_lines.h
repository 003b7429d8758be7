// SPDX-License-Identifier: MIT
// bounded_lines.h - reads a text file line by line with a cap on line length,
// so that a hostile file costs bounded memory whatever it holds.
//
//   BoundedLines lines(in, 4096);
//   std::string line;
//   while (lines.Next(line)) Use(lines.LineNumber(), line);  // throws on a longer line
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

namespace pelmic::render {

class BoundedLines {
 public:
  BoundedLines(std::istream& in, std::size_t maxLength) : in_(in), maxLength_(maxLength) {}

  // The next line without its '\n' (a last line without one counts too).
  // False at the end of the input. Throws LineTooLong past maxLength bytes,
  // having read no more than the cap plus one buffer.
  bool Next(std::string& line);

  // 1-based number of the line Next returned last; 64 bits, so no file overflows it.
  std::uint64_t LineNumber() const { return lineNumber_; }

  struct LineTooLong {};

 private:
  bool Refill();

  std::istream& in_;
  std::size_t maxLength_;
  std::uint64_t lineNumber_ = 0;
  std::array<char, 64 * 1024> buffer_{};
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

}  // namespace pelmic::render
