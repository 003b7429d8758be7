// SPDX-License-Identifier: MIT
#include "render_options.h"

#include "cycle/run_request.h"
#include "input_error.h"
#include "text/printable_text.h"

namespace pelmic::render {

const char* const kUsage =
    "usage: pelmic-render [--seed N] [--size WxH] [--cycles K] [--out FILE.png] [--json FILE|-]\n"
    "       pelmic-render --sites FILE [--size WxH] --json FILE|-\n"
    "       pelmic-render --help | --version\n";

const char* const kHelp =
    "Runs the Pelmic screen saver's cycle without a screen and writes what it drew.\n"
    "\n"
    "  --seed N        seed of the random cycles (default: the clock, printed on standard error)\n"
    "  --size WxH      screen size in pixels, each side 1 to 16384 (default 1920x1080)\n"
    "  --cycles K      cycles to run, 1 to 10000 (default 1)\n"
    "  --out FILE.png  the picture of each cycle; FILE-1.png .. FILE-K.png when K > 1\n"
    "  --json FILE     sites, cells, areas and edges of every cycle; - for standard output\n"
    "  --sites FILE    the cells of fixed sites, one 'x y' line each, instead of random cycles\n"
    "  -h, --help      this text\n"
    "  --version       the version\n"
    "\n"
    "Each output is written as the shell's '>' would write it, and only once every\n"
    "output of the run is complete. All are checked when the run starts: where '>'\n"
    "would be refused, so is the run, at once, and nothing is written.\n"
    "  new name         created (not in a folder you cannot write)\n"
    "  regular file     rewritten, keeping its owner, group, mode and hard links;\n"
    "                   a read-only file is refused (unless you are root). Your own\n"
    "                   file with one name, in a folder you can write, is replaced\n"
    "                   at once by a swap of names, synced to disk first.\n"
    "  symbolic link    followed by the system, under its guards; stays a link\n"
    "  device, FIFO     written in place as the run goes (a FIFO waits for a reader)\n"
    "  socket           refused: No such device or address\n"
    "  -                standard output, as is /dev/stdout; refused if it is closed\n"
    "A run that fails or is stopped before its end changes no file (a stream or\n"
    "device has what was written to it) and leaves no temporary. Should a finished\n"
    "output fail to be put in place (a full disk), the others still are, and the\n"
    "message names the file that keeps its complete output (NAME.pelmic-render\n"
    "beside it, or in $TMPDIR), says whether the target was changed (cut short) or\n"
    "not, and lists the outputs written.\n"
    "Two outputs may not name one file; --out names a file, not a stream, for K > 1.\n"
    "Exit status: 0 written, 1 an output could not be written, 2 bad input (nothing written).\n";

RenderOptions ParseOptions(const std::vector<std::string>& args) {
  RenderOptions options;
  for (std::size_t a = 0; a < args.size(); ++a) {
    const std::string& name = args[a];
    auto value = [&]() -> const std::string& {
      if (a + 1 >= args.size()) throw InputError(name + " needs a value");
      if (args[a + 1].empty()) throw InputError(name + " needs a value, not an empty one");
      return args[++a];
    };
    if (name == "--help" || name == "-h" || name == "--version") {
      (name == "--version" ? options.showVersion : options.showHelp) = true;
      return options;
    }
    if (name == "--sites") {
      options.sitesFile = value();
    } else if (name == "--size") {
      const std::string& text = value();
      const std::optional<RunSize> size = ParseRunSize(text);
      if (!size) throw InputError("--size must be WxH with whole numbers from 1 to 16384, not '" + Excerpt(text) + "'");
      options.width = size->width;
      options.height = size->height;
    } else if (name == "--seed") {
      const std::string& text = value();
      options.seed = ParseRunSeed(text);
      if (!options.seed) throw InputError("--seed must be a whole number, not '" + Excerpt(text) + "'");
    } else if (name == "--cycles") {
      const std::string& text = value();
      const std::optional<int> cycles = ParseRunCycles(text);
      if (!cycles) throw InputError("--cycles must be a whole number from 1 to 10000, not '" + Excerpt(text) + "'");
      options.cycles = *cycles;
    } else if (name == "--out") {
      options.pngPath = value();
    } else if (name == "--json") {
      options.jsonPath = value();
    } else {
      throw InputError("unknown option '" + Excerpt(name) + "'");
    }
  }
  if (options.sitesFile && (options.seed || options.pngPath || options.cycles != 1)) {
    throw InputError("--sites takes only --size and --json");
  }
  if (options.sitesFile && !options.jsonPath) throw InputError("--sites needs --json");
  if (!options.pngPath && !options.jsonPath) throw InputError("nothing to write: give --out or --json");
  return options;
}

}  // namespace pelmic::render
