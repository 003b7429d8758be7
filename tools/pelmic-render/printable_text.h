// printable_text.h - text from files and command lines, made safe to print.
//
// A file name or a line of a file can hold any bytes: an escape or a C1
// control (0x9B is CSI to many terminals) would drive the terminal, and
// invisible ones (a byte-order mark, a no-break space) would make the message
// lie. Every byte outside printable ASCII is shown as \xNN.
//
//   Printable("caf\xC3\xA9.txt")     // "caf\xC3\xA9.txt", escapes spelled out
//   Excerpt(std::string(5000, '7'))  // the first 40 characters and "..."
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelmic::render {

// All of `text`, each byte outside 0x20..0x7E as \xNN.
std::string Printable(std::string_view text);

// The start of `text`, printable as above, in at most `maxChars` characters
// and "..." when cut, so a bad line can neither flood nor drive a terminal.
std::string Excerpt(std::string_view text, std::size_t maxChars = 40);

}  // namespace pelmic::render
