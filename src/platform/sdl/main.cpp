// pelmic - the Voronoi screen saver as a Linux desktop program.
//
//   pelmic /S                 run the saver full screen, on every display
//   pelmic /C, none           the settings dialog
//   pelmic /A                 the password message
//   pelmic /P                 ends at once (no preview pane here)
//   pelmic -root, --root      inside a daemon: its window (XSCREENSAVER_WINDOW)
//   pelmic -window-id ID      draw into the window ID (decimal or 0x hex)
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "platform/sdl/draw_target.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/termination_signal.h"
#include "platform/sdl/x11_window.h"
#include "shell/pelmic_main.h"
#include "shell/saver_session.h"

namespace {

constexpr int kBadArguments = 2;

// The cycle, unchanged, in a window that a daemon owns.
int RunEmbedded(const pelmic::sdl::DrawTarget& target) {
  std::string error;
  const auto window = pelmic::sdl::LookUpWindow(target, error);
  if (!window) {
    std::fprintf(stderr, "pelmic: %s\n", error.c_str());
    return kBadArguments;
  }
  pelmic::sdl::SdlPlatform platform(*window);
  pelmic::shell::RunSaver(platform);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  pelmic::sdl::InstallTerminationHandlers();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const pelmic::sdl::ParsedArguments parsed = pelmic::sdl::ParseArguments(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "pelmic: %s\n", parsed.error.c_str());
    return kBadArguments;
  }
  try {
    if (parsed.target.Embedded()) return RunEmbedded(parsed.target);
    // The screen-saver switches arrive as separate arguments; the shell reads
    // one command line, as the system hands it to a Windows screen saver.
    pelmic::sdl::SdlPlatform platform;
    return pelmic::shell::Main(parsed.commandLine, platform);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pelmic: %s\n", error.what());
    return 1;
  }
}
