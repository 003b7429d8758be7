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
// Open decides once what the target is, by what it opens as, keeping the
// descriptor it checked:
// - standard output ("-" or "/dev/stdout"): written through descriptor 1 as
//   it goes;
// - a pipe, FIFO, terminal or other device: written in place as it goes; a
//   FIFO waits for a reader; a socket is refused (ENXIO), as by `>`;
// - a regular file, opened for writing as `>` opens it (links followed by the
//   kernel) but not truncated; or a new name, in the folder it will be made in.
// The last two are produced into a private temporary that goes with the
// process however it ends. Commit writes each into the descriptor checked,
// in place, as `>` rewrites a file, or creates the new name as `>` would
// (never over a file that appeared meanwhile). Nothing is synced to disk.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <stdexcept>
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

// What Commit could not put in place, or what a stop during it left unchanged.
class CommitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What two outputs in one file share: the file, or a new name's folder.
struct FileIdentity {
  std::uint64_t device = 0, inode = 0;
};

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

  // Throws std::runtime_error naming the file, or the place of its temporary,
  // when the bytes cannot be written.
  void Write(std::string_view bytes);

 private:
  friend class OutputSet;

  std::string option_;     // --out or --json, for messages
  std::string name_;       // as given, for messages
  Kind kind_ = Kind::Stream;
  int fd_ = 1;             // where Write writes: standard output, the device or the temporary
  Descriptor target_;      // a device, or the regular file checked
  Descriptor temporary_;
  int folder_ = -1;        // the folder of the name (a new name is made in it)
  std::string folderName_;  // as given, for messages
  std::string leaf_;       // the name in folder_
  std::string temporaryPlace_;  // the folder the temporary is in, for messages
  FileIdentity identity_;  // a new name's folder, else the file
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

  // Writes every temporary into its target, one after the other. Where one
  // cannot be, the others still are; a stop signal ends it after the one
  // being written. Then a CommitError says, for each that failed, why, where
  // its complete output is kept and whether the target changed, and lists
  // the outputs written and those a stop left unchanged.
  void Commit();

 private:
  int Folder(const std::string& path);
  void MakeTemporary(OutputFile& file, const std::string& folder);
  void CheckApart(const OutputFile& file) const;
  static int Put(OutputFile& file, bool& changed);
  static std::string Keep(OutputFile& file);

  std::deque<OutputFile> files_;  // a deque: Open hands out references that must stay valid
  std::map<std::string, Descriptor> folders_;  // one descriptor per folder, however many pictures
};

}  // namespace pelmic::render
