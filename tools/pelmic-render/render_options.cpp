// SPDX-License-Identifier: MIT
#include "render_options.h"

#include "cycle/run_request.h"
#include "input_error.h"
#include "text/printable_text.h"

namespace pelmic::render {
namespace {

// A name ending so names a folder, never a file to write.
#if defined(_WIN32)
constexpr const char* kFolderEnds = "/\\";
#else
constexpr const char* kFolderEnds = "/";
#endif

}  // namespace

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
    "  new name         made at the end as '>' makes it (umask, a default ACL), not\n"
    "                   over a file that appeared meanwhile\n"
    "  regular file     rewritten in place at the end: it keeps its inode, owner,\n"
    "                   mode, ACL, attributes, flags and hard links; a read-only\n"
    "                   file is refused (unless you are root)\n"
    "  symbolic link    followed by the system, under its guards; stays a link\n"
    "  pipe, FIFO, terminal, device\n"
    "                   written as the run goes (a FIFO waits for a reader)\n"
    "  socket           refused: No such device or address\n"
    "  -                standard output, as is /dev/stdout; refused if it is closed\n"
    "Until the end a file is produced in a private temporary beside it (else in\n"
    "$TMPDIR), so its disk needs room for the old and the new content at once. As\n"
    "with '>', nothing is replaced atomically and nothing is synced to disk.\n"
    "A run that fails or is stopped before its end changes no file (a stream or\n"
    "device has what was written to it) and leaves no temporary; a stop at the end\n"
    "finishes the file being written, writes no other and names both. Should a\n"
    "finished output fail to be written (a full disk), the others still are, and\n"
    "the message names the file that keeps its complete output (NAME.pelmic-render\n"
    "beside it, or in $TMPDIR), says whether the target was changed (cut short) or\n"
    "not, and lists the outputs written.\n"
    "Each output option once, and no name ending in /; two outputs may not name\n"
    "one file; --out names a file, not a stream, for K > 1.\n"
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
    } else if (name == "--out" || name == "--json") {
      std::optional<std::string>& path = name == "--out" ? options.pngPath : options.jsonPath;
      if (path) throw InputError(name + " given twice: give each output once");
      path = value();
      if (path->find_last_of(kFolderEnds) == path->size() - 1) {
        throw InputError(name + " '" + Printable(*path) + "' names a folder: give it a file name");
      }
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
