// SPDX-License-Identifier: MIT
// What the outputs do alike on every system: two outputs in one file are
// refused, and the commit writes one output after the other and reports.
#include <string>
#include <system_error>

#include "input_error.h"
#include "output_files.h"
#include "stop_signals.h"
#include "text/printable_text.h"

namespace pelmic::render {
namespace {

void Add(std::string& list, const std::string& name) { list += (list.empty() ? "" : ", ") + Printable(name); }

}  // namespace

void OutputSet::CheckApart(const OutputFile& file) const {
  for (const OutputFile& other : files_) {
    const bool newName = file.kind_ == OutputFile::Kind::NewName;
    // A character device (device 0 here: /dev/null, a terminal) takes several.
    if (&other == &file || other.kind_ != file.kind_ || other.identity_.device != file.identity_.device ||
        other.identity_.inode != file.identity_.inode || (newName && other.leaf_ != file.leaf_) ||
        file.identity_.device == 0) {
      continue;
    }
    const std::string who = other.option_ == file.option_ ? "two " + file.option_ + " pictures" : file.option_ + " and " + other.option_;
    throw InputError(who + " both name '" + Printable(file.name_) + "': give each its own file");
  }
}

void OutputSet::Commit() {
  std::string failures, written, unchanged;
  for (OutputFile& file : files_) {
    if (file.kind_ == OutputFile::Kind::Stream || file.kind_ == OutputFile::Kind::Device) {
      Add(written, file.name_);  // as it went
      continue;
    }
    const StopSignalsHeld held;  // a stop waits for the file being written, never cuts it
    if (StopSignal() != 0) {
      Add(unchanged, file.name_);
      continue;
    }
    bool changed = false;
    const int reason = Put(file, changed);
    const std::string name = Printable(file.name_);
    if (reason == 0) {
      Add(written, file.name_);
    } else {
      failures += name + ": cannot be replaced: " + std::generic_category().message(reason) +
                  "; its complete output is " + Keep(file) + "; " + name +
                  (changed ? " was changed (cut short)\n" : " is unchanged\n");
    }
  }
  if (failures.empty() && StopSignal() == 0) return;
  throw CommitError(failures + (StopSignal() != 0 ? "stopped while the outputs were written\n" : "") +
                    (!written.empty() ? "written: " + written
                                      : failures.empty() ? "no output was written" : "no other output was written") +
                    (unchanged.empty() ? "" : "\nleft unchanged: " + unchanged));
}

}  // namespace pelmic::render
