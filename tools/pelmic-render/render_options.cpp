// SPDX-License-Identifier: MIT
#include "render_options.h"

#include <filesystem>

#include "cycle/printable_text.h"
#include "cycle/run_request.h"
#include "input_error.h"
#include "output_files.h"
#include "png_file.h"

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
    "output of the run is complete: a run that fails or is stopped touches none of\n"
    "them and leaves no temporary. Where '>' is refused, so is the run, at once.\n"
    "  new name         created (not in a folder you cannot write)\n"
    "  regular file     rewritten, keeping its owner, group, mode and hard links;\n"
    "                   a read-only file is refused (unless you are root). Your own\n"
    "                   file with one name, in a folder you can write, is replaced\n"
    "                   at once by a rename, synced to disk first.\n"
    "  symbolic link    followed by the system, under its guards; stays a link\n"
    "  device, FIFO     written in place (/dev/null; a FIFO waits for its reader)\n"
    "  socket           refused: No such device or address\n"
    "  -                standard output, as is /dev/stdout\n"
    "Two outputs may not name one file; --out names a file, not a stream, for K > 1.\n"
    "Exit status: 0 written, 1 an output could not be written, 2 bad input (nothing written).\n";

namespace {
namespace fs = std::filesystem;

// Each output its own file, so that none overwrites another: one picture
// cannot be numbered into several on standard output, and the report cannot
// share a name (or, through a link, a file) with any of the pictures.
void CheckOutputsApart(const RenderOptions& options) {
  if (!options.pngPath) return;
  // A stream (standard output, a device, a FIFO) has no name to number: the
  // pictures would be new files beside it, /dev/null-1 and on.
  std::error_code error;
  const fs::file_status kind = fs::status(*options.pngPath, error);
  const bool stream =
      *options.pngPath == "-" || (fs::exists(kind) && !fs::is_regular_file(kind) && !fs::is_directory(kind));
  if (stream && options.cycles > 1) {
    throw InputError("--out " + Printable(*options.pngPath) +
                     " holds one picture: give --out a file name to number for --cycles above 1");
  }
  if (!options.jsonPath) return;
  for (int cycle = 1; cycle <= options.cycles; ++cycle) {
    const std::string png = NumberedPath(*options.pngPath, cycle, options.cycles);
    if (SameOutputFile(png, *options.jsonPath)) {
      throw InputError("--out and --json both name '" + Printable(png) + "': give each its own file");
    }
  }
}

}  // namespace

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
  CheckOutputsApart(options);
  return options;
}

}  // namespace pelmic::render
