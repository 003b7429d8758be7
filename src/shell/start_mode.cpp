// SPDX-License-Identifier: MIT
#include "shell/start_mode.h"

#include <cstddef>

namespace pelmic::shell {

namespace {

bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0u) == 0x80u; }

// Bytes the UTF-8 lead byte announces; a stray continuation byte or an invalid
// lead counts as a character of its own so that malformed text still advances.
std::size_t AnnouncedLength(unsigned char lead) {
  if (lead >= 0xF0u && lead <= 0xF7u) return 4;
  if (lead >= 0xE0u) return lead <= 0xEFu ? 3 : 1;
  if (lead >= 0xC0u) return 2;
  return 1;
}

// Length in bytes of the character starting at `start`, never running past
// the text or into the next character when a sequence is cut short.
std::size_t CharacterLength(std::string_view text, std::size_t start) {
  const std::size_t announced = AnnouncedLength(static_cast<unsigned char>(text[start]));
  std::size_t length = 1;
  while (length < announced && start + length < text.size() &&
         IsContinuationByte(static_cast<unsigned char>(text[start + length]))) {
    ++length;
  }
  return length;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string StartModePrefix(std::string_view commandLine) {
  std::size_t end = 0;
  for (int characters = 0; characters < 2 && end < commandLine.size(); ++characters) {
    end += CharacterLength(commandLine, end);
  }
  std::string prefix(commandLine.substr(0, end));
  for (char& c : prefix) c = AsciiUpper(c);
  return prefix;
}

StartMode StartModeOf(std::string_view commandLine) {
  const std::string prefix = StartModePrefix(commandLine);
  if (prefix == "/A") return StartMode::PasswordMessage;
  if (prefix == "/C") return StartMode::Settings;
  if (prefix == "/P") return StartMode::Preview;
  if (prefix.empty()) return StartMode::Settings;
  return StartMode::Saver;
}

}  // namespace pelmic::shell
