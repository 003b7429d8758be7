// SPDX-License-Identifier: MIT
// pelmic - the Voronoi screen saver as a Linux desktop program.
//
//   pelmic /S                 run the saver full screen, on every display
//   pelmic /C, none           the settings dialog
//   pelmic /A                 the password message
//   pelmic /P                 ends at once (no preview pane here)
//   pelmic -root, --root      inside a daemon: its window (XSCREENSAVER_WINDOW)
//   pelmic -window-id ID      draw into the window ID (decimal or 0x hex)
//   pelmic --help, --version
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/command_line.h"
#include "platform/linux/embedded/embedded_window.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/process_end.h"
#include "platform/linux/termination_signal.h"
#include "shell/pelmic_main.h"
#include "shell/saver_session.h"

namespace {

namespace desktop = pelmic::linux_desktop;

constexpr int kBadArguments = 2;

constexpr const char* kUsage =
    "Usage: pelmic [/S | /C | /P | /A]\n"
    "       pelmic -root | -window-id ID\n"
    "       pelmic --help | --version\n"
    "\n"
    "Random Voronoi diagrams as a screen saver.\n"
    "\n"
    "  /S              the saver, full screen (so does any text not listed here)\n"
    "  /C, nothing     the settings dialog\n"
    "  /P              ends at once (no preview pane)\n"
    "  /A              a message that passwords are not supported\n"
    "  -root, --root   inside a screen-saver daemon: draw into the window it names\n"
    "                  in XSCREENSAVER_WINDOW, or into the root window\n"
    "  -window-id ID   draw into the window ID (decimal or 0x hex)\n"
    "  -h, --help      this text\n"
    "  --version       the version\n"
    "\n"
    "XSCREENSAVER_WINDOW counts only with -root or with no arguments at all.\n"
    "Any key, click or real mouse movement ends the saver; SIGTERM and SIGINT end\n"
    "the program with status 0. Status 1: the display cannot be used; 2: a bad\n"
    "window id or argument.\n"
    "\n"
    "The manual: man 6 pelmic\n";

// A failure of the start-up ends the program with `status` and a message,
// unless a stop was requested: that wins, with 0 and no message.
int Failed(int status, const char* message) {
  if (desktop::TerminationRequested()) return 0;
  std::fprintf(stderr, "pelmic: %s\n", message);
  return status;
}

// A daemon that sees the user come back destroys its window and sends
// SIGTERM at once, and the window may be found gone before the signal has
// arrived: it is given a moment to come, far below what a person typing a bad
// window id would notice.
int WindowGoneFailed(const char* message) {
  if (desktop::TerminationRequestedWithin(std::chrono::milliseconds(250))) return 0;
  return Failed(kBadArguments, message);
}

// The cycle, unchanged, in a window that someone else owns.
int RunEmbedded(const desktop::DrawTarget& target) {
  std::string error;
  const std::unique_ptr<desktop::EmbeddedWindow> window = desktop::EmbeddedWindow::LookUp(target, error);
  if (!window) return WindowGoneFailed(error.c_str());
  // The look-up took a round trip to the X server: look again before SDL
  // starts, which takes longer still.
  if (desktop::TerminationRequested()) return 0;
  desktop::LinuxPlatform platform(window.get());
  pelmic::shell::RunSaver(platform);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  desktop::InstallTerminationHandlers();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const desktop::ParsedArguments parsed = desktop::ParseArguments(args, std::getenv("XSCREENSAVER_WINDOW"));
  using Action = desktop::ParsedArguments::Action;
  if (parsed.action == Action::ShowUsage) return std::fputs(kUsage, stdout) < 0 ? 1 : 0;
  if (parsed.action == Action::ShowVersion) {
    return std::puts("pelmic " PELMIC_VERSION "\n" PELMIC_LICENSE_LINE) < 0 ? 1 : 0;
  }
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "pelmic: %s\n", parsed.error.c_str());
    return kBadArguments;
  }
  // Stopped before anything started: nothing to put back.
  if (desktop::TerminationRequested()) return 0;
  try {
    if (parsed.target.Embedded()) return RunEmbedded(parsed.target);
    // The screen-saver switches arrive as separate arguments; the shell reads
    // one command line, as the system hands it to a Windows screen saver.
    desktop::EndProgramWhenScreenGivenBack();
    desktop::LinuxPlatform platform;
    const int status = pelmic::shell::Main(parsed.commandLine, platform);
    // The user is back: the rest of the clean-up goes with the process.
    if (desktop::ScreenGivenBack()) desktop::EndProgramNow(status);
    return status;
  } catch (const desktop::WindowGone& gone) {
    return WindowGoneFailed(gone.what());
  } catch (const std::exception& error) {
    return Failed(1, error.what());
  }
}
