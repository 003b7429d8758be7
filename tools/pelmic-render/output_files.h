// output_files.h - the outputs of one run, replacing nothing until all are
// written in full.
//
//   OutputSet outputs;
//   OutputFile& report = outputs.Open("cells.json");  // nothing replaced yet
//   report.Write(part);                                // as often as needed
//   outputs.Commit();                                  // cells.json replaced now
//
// Where an output goes depends on what its name is:
// - "-": standard output, as is the very file standard output goes to
//   (/dev/stdout, whatever it is).
// - a device, FIFO or socket (/dev/null, a pipe): opened and written in place;
//   it can neither be replaced nor be left half-written undone.
// - a regular file, or a name not taken yet: written to a temporary beside it
//   that Commit renames over it. A symbolic link is followed: the file it
//   names is replaced in its own folder, and the link stays a link.
// An OutputSet given up before Commit (a failure, an exception) removes its
// temporaries, so a failed run leaves neither a new file nor a temporary.
#pragma once

#include <cstdint>
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
  // Ends the writing; a temporary waits for Commit, holding no descriptor.
  void Close();

 private:
  friend class OutputSet;

  std::string name_;       // as given, for messages
  std::string target_;     // the regular file to replace, links followed
  std::string temporary_;  // beside target_; empty when written in place or once renamed
  int fd_ = -1;
  bool ownsFd_ = true;     // false for standard output
};

class OutputSet {
 public:
  OutputSet() = default;
  ~OutputSet();  // removes the temporaries not renamed
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Opens the output `name` as described above; throws std::runtime_error
  // naming it when it cannot be written (a folder, a missing folder, no right).
  OutputFile& Open(const std::string& name);

  // Closes every output, then renames each temporary over its target in the
  // order opened. Should a rename fail, throws naming the file and the files
  // already replaced; the others are left as they were.
  void Commit();

 private:
  int CreateTemporaryBeside(OutputFile& file);

  std::deque<OutputFile> files_;  // a deque: Open hands out references that must stay valid
  std::uint64_t nextSerial_ = 0;
};

}  // namespace pelmic::render
