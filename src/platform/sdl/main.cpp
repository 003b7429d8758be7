// pelmic - the Voronoi screen saver as a Linux desktop program.
//
//   pelmic /S        run the saver full screen
//   pelmic /C, none  the settings dialog
//   pelmic /A        the password message
//   pelmic /P        ends at once (no preview pane here)
#include <cstdio>
#include <exception>
#include <string>

#include "platform/sdl/sdl_platform.h"
#include "shell/pelmic_main.h"

namespace {

// The screen-saver host's switches arrive as separate arguments; the shell
// reads one command line, as the system hands it to a Windows screen saver.
std::string JoinArguments(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return commandLine;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string commandLine = JoinArguments(argc, argv);
  try {
    pelmic::sdl::SdlPlatform platform;
    return pelmic::shell::Main(commandLine, platform);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pelmic: %s\n", error.what());
    return 1;
  }
}
