// SPDX-License-Identifier: MIT
// output_files.h - the outputs of one run, each written as the shell's `>`
// would write it, and none touched until all are produced in full.
//
//   GuardStandardDescriptors();                           // first thing in main
//   OutputSet outputs;
//   OutputFile& report = outputs.Open("--json", "cells.json");  // checked now
//   report.Write(part);                                   // as often as needed
//   outputs.Commit();                                     // cells.json written now
//
// Open decides once what the target is, keeping the descriptor it checked:
// - standard output ("-", or a name that is the very file descriptor 1 is):
//   written through descriptor 1 as it goes;
// - a device or FIFO (/dev/null, a pipe): written in place as it goes; a FIFO
//   waits for a reader; a socket is refused (ENXIO), as by `>`;
// - a regular file, opened for writing as `>` opens it (links followed by the
//   kernel) but not truncated; or a new name, in the folder it will be made in.
// The last two are written to an unnamed temporary (mode 0600, gone with the
// process however it ends). Commit puts it in place: a new name is linked in
// (never over a file that appeared meanwhile); a file is swapped with it
// where that cannot be told from `>` (see Swap in output_files.cpp), else the
// temporary is copied into the descriptor that was checked, so what is
// written is always the file that was checked.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace pelmic::render {

// Notes which of descriptors 0-2 are closed and opens /dev/null on them, so
// that no output can take their numbers; raises the limit of open files as
// far as allowed (a run holds two per picture).
void GuardStandardDescriptors();

// True when `name` is a stream: standard output, a device or a FIFO.
bool NamesStream(const std::string& name);

// A descriptor closed with its owner.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor();
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept;
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

class OutputFile {
 public:
  enum class Kind { Stream, Device, File, NewName };

  OutputFile(std::string option, std::string name) : option_(std::move(option)), name_(std::move(name)) {}

  // Throws std::runtime_error naming the file when the bytes cannot be written.
  void Write(std::string_view bytes);

 private:
  friend class OutputSet;

  std::string option_;     // --out or --json, for messages
  std::string name_;       // as given, for messages
  Kind kind_ = Kind::Stream;
  int fd_ = 1;             // where Write writes: standard output, the device or the temporary
  Descriptor target_;      // a device, or the regular file checked
  Descriptor temporary_;
  int folder_ = -1;        // the folder the name is in, when the name itself is the file or new
  std::string folderName_;  // as given, for messages
  std::string leaf_;       // the name in folder_
  int temporaryFolder_ = -1;
  std::string temporaryFolderName_;  // for the message naming a kept temporary
  struct { unsigned long device = 0, inode = 0; } identity_;  // a new name's folder, else the file
};

class OutputSet {
 public:
  OutputSet() = default;
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Opens the output `name` given to `option` as described above. Throws
  // std::runtime_error naming it when `>` would be refused too, with the
  // system's reason, and InputError when an earlier output is the same file.
  OutputFile& Open(const std::string& option, const std::string& name);

  // Puts every temporary in place. Where one cannot be, the others are still
  // put in place, and then a std::runtime_error says, for each that failed,
  // why, where its complete output is kept, and whether the target changed.
  void Commit();

 private:
  int Folder(const std::string& path);
  void OpenFile(OutputFile& file, int fd, const std::string& name);
  void OpenNewName(OutputFile& file, const std::string& name);
  void CreateTemporary(OutputFile& file);
  void CheckApart(const OutputFile& file) const;
  std::string Keep(OutputFile& file);

  std::deque<OutputFile> files_;  // a deque: Open hands out references that must stay valid
  std::map<std::string, Descriptor> folders_;  // one descriptor per folder, however many pictures
};

}  // namespace pelmic::render
