// SPDX-License-Identifier: MIT
#include "platform/linux/command_line.h"

#include <charconv>
#include <cstdio>

#include "text/printable_text.h"

namespace pelmic::linux_desktop {

namespace {

constexpr X11WindowId kLargestWindowId = 0x1FFFFFFF;

// "-name" or "--name" without its dashes; empty for anything else.
std::string_view SwitchName(std::string_view arg) {
  if (arg.starts_with("--")) return arg.substr(2);
  if (arg.starts_with("-")) return arg.substr(1);
  return {};
}

// Targets the foreign window that `text`, read from `source`, names; an error
// (naming the source) when it names none.
void TargetWindow(std::string_view source, std::string_view text, ParsedArguments& parsed) {
  const std::optional<X11WindowId> id = ParseWindowId(text);
  if (!id) {
    // Escaped and cut short: the text comes from whoever started the program.
    parsed.error = std::string(source) + ": \"" + Excerpt(text) + "\" is not a window id (decimal or 0x hex)";
  }
  parsed.target = {DrawTarget::Kind::ForeignWindow, id.value_or(0)};
}

}  // namespace

std::optional<X11WindowId> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  X11WindowId id = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, id, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  if (id == 0 || id > kLargestWindowId) return std::nullopt;
  return id;
}

std::string FormatWindowId(X11WindowId id) {
  char text[2 + 2 * sizeof id + 1];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}

ParsedArguments ParseArguments(const std::vector<std::string>& args, const char* xscreensaverWindow) {
  ParsedArguments parsed;
  std::optional<std::string> windowIdText;
  bool root = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view name = SwitchName(args[i]);
    if (name == "help" || name == "h") {
      parsed.action = ParsedArguments::Action::ShowUsage;
      return parsed;
    } else if (name == "version") {
      parsed.action = ParsedArguments::Action::ShowVersion;
    } else if (name == "root") {
      root = true;
    } else if (name == "window-id") {
      if (i + 1 == args.size()) {
        parsed.error = "-window-id needs a window id";
        return parsed;
      }
      windowIdText = args[++i];
    } else if (name.starts_with("window-id=")) {
      windowIdText = std::string(name.substr(name.find('=') + 1));
    } else {
      if (!parsed.commandLine.empty()) parsed.commandLine += ' ';
      parsed.commandLine += args[i];
    }
  }

  if (parsed.action != ParsedArguments::Action::Run) return parsed;
  // A locker starts a saver module with no arguments at all; anything else
  // but -root is a switch that means what it says.
  const bool fromDaemon =
      (root || args.empty()) && xscreensaverWindow != nullptr && *xscreensaverWindow != '\0';
  if (windowIdText) {
    TargetWindow("-window-id", *windowIdText, parsed);
  } else if (fromDaemon) {
    TargetWindow("XSCREENSAVER_WINDOW", xscreensaverWindow, parsed);
  } else if (root) {
    parsed.target = {DrawTarget::Kind::RootWindow, 0};
  }
  return parsed;
}

}  // namespace pelmic::linux_desktop
