// SPDX-License-Identifier: MIT
// output_files.h - the outputs of one run, each written as the shell's `>`
// would write it, and none touched until all are produced in full.
//
//   OutputSet outputs;
//   OutputFile& report = outputs.Open("cells.json");  // checked; nothing touched yet
//   report.Write(part);                                // as often as needed
//   outputs.Commit();                                  // cells.json written now
//
// Open lets the kernel judge the target, as `>` does: it opens the name for
// writing (following links under the kernel's own guards, creating and
// truncating nothing), and refuses with the system's reason where `>` would
// be refused. Then, by what the name is:
// - "-": standard output, as is the very file standard output goes to
//   (/dev/stdout, whatever it is).
// - a device or FIFO (/dev/null, a pipe): written in place; it can be neither
//   replaced nor left half-written undone. A FIFO waits for a reader. A
//   socket cannot be opened (ENXIO), as with `>`.
// - a regular file or a new name: written to a private temporary first. At
//   Commit the temporary is renamed over the target where that cannot be told
//   from `>` (a new name, or the user's own regular file with one link and no
//   extended attributes, not reached through a link, in a folder the user can
//   write), after it and then the folder are synced; otherwise it is copied
//   into the target, opened by name through the kernel with O_TRUNC, which
//   keeps its owner, mode and hard links and follows a link as `>` does.
// An OutputSet given up before Commit (a failure, an exception, a stop)
// removes its temporaries, so such a run leaves no trace.
#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace pelmic::render {

class OutputFile {
 public:
  explicit OutputFile(std::string name) : name_(std::move(name)) {}
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Throws std::runtime_error naming the file when the bytes cannot be written.
  void Write(std::string_view bytes);
  // Ends the writing; a temporary is synced and waits for Commit, holding no
  // descriptor.
  void Close();

 private:
  friend class OutputSet;
  enum class Finish { InPlace, Rename, Copy };

  std::string name_;       // as given, for messages
  std::string path_;       // as given, for the system
  std::string temporary_;  // empty when written in place or once committed
  Finish finish_ = Finish::InPlace;
  int fd_ = -1;
  bool ownsFd_ = true;  // false for standard output
};

class OutputSet {
 public:
  OutputSet() = default;
  ~OutputSet();  // removes the temporaries not committed
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Opens the output `name` as described above; throws std::runtime_error
  // naming it when `>` would be refused too (a folder, a missing folder, no
  // right), with the system's reason.
  OutputFile& Open(const std::string& name);

  // Closes every output, then puts each temporary in place in the order
  // opened. Should that fail, throws naming the file and the files already
  // written; the others are left as they were.
  void Commit();

 private:
  std::deque<OutputFile> files_;  // a deque: Open hands out references that must stay valid
};

// True when `a` and `b` lead to one file, by name or through links, whether
// it exists yet or not; a device such as /dev/null may take several outputs.
bool SameOutputFile(const std::string& a, const std::string& b);

}  // namespace pelmic::render
