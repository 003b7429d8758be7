// SPDX-License-Identifier: MIT
// printable_text.h - text from outside (a file name, a line of a file, a
// command-line argument, an environment variable, an address parameter) made
// safe to show in a message.
//
// Such text can hold any bytes: an escape or a C1 control (0x9B is CSI to many
// terminals) would drive the terminal a message is shown on, and invisible
// ones (a byte-order mark, a no-break space) would make the message lie. Every
// byte outside printable ASCII is shown as \xNN, and a backslash as \\, so
// that the text "\x1B" cannot pass for an escaped byte; an excerpt is cut
// short so that a long value cannot flood the screen.
//
//   Printable("caf\xC3\xA9.txt")     // "caf\xC3\xA9.txt", escapes spelled out
//   Excerpt(std::string(5000, '7'))  // the first 40 characters and "..."
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelmic {

// All of `text`, each byte outside 0x20..0x7E as \xNN, a backslash as \\.
std::string Printable(std::string_view text);

// The start of `text`, printable as above, in at most `maxChars` characters
// and "..." when cut; an escape is never cut in two.
std::string Excerpt(std::string_view text, std::size_t maxChars = 40);

}  // namespace pelmic
