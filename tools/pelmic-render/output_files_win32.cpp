// SPDX-License-Identifier: MIT
// The outputs on Windows, with fewer promises than on Linux: no FIFOs, no
// unnamed temporaries and no swap of two names. Each output but standard
// output is written to a temporary named beside its target (in leaf_) and
// renamed over it at Commit; one that cannot be is kept under that name. A
// second stop signal ends the program before the temporaries are removed.
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "input_error.h"
#include "output_files.h"
#include "stop_signals.h"
#include "text/printable_text.h"

namespace pelmic::render {
namespace fs = std::filesystem;
namespace {

[[noreturn]] void Fail(const std::string& name, int error) {
  throw std::runtime_error(Printable(name) + ": cannot be written: " + std::generic_category().message(error));
}

}  // namespace

void GuardStandardDescriptors() {
  _setmode(1, _O_BINARY);  // the same bytes as in a file: no CR before each LF
}

bool NamesStream(const std::string& name) {
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  return name == "-" || (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status));
}

Descriptor::~Descriptor() {
  if (fd_ >= 0) ::_close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::_close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (StopSignal() != 0) Fail(name_, EINTR);
    const int written = ::_write(fd_, bytes.data(), static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30)));
    if (written <= 0) Fail(name_, written < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

OutputSet::~OutputSet() {
  for (OutputFile& file : files_) {
    file.temporary_ = Descriptor();
    if (!file.leaf_.empty()) ::_unlink(file.leaf_.c_str());
  }
}

OutputFile& OutputSet::Open(const std::string& option, const std::string& name) {
  OutputFile& file = files_.emplace_back(option, name == "-" ? "standard output" : name);
  std::error_code error;
  if (fs::is_directory(fs::status(name, error))) {
    throw std::runtime_error(Printable(name) + ": is a directory, not a file to write");
  }
  if (name != "-") {
    file.kind_ = OutputFile::Kind::File;
    file.folderName_ = name;
    const std::string temporary = name + ".pelmic-render-" + std::to_string(::_getpid());
    const int fd = ::_open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) Fail(name, errno);
    file.leaf_ = temporary;
    file.temporary_ = Descriptor(fd);
    file.fd_ = fd;
  }
  CheckApart(file);
  return file;
}

void OutputSet::CheckApart(const OutputFile& file) const {
  std::error_code error;
  for (const OutputFile& other : files_) {
    if (&other == &file || other.kind_ != file.kind_ ||
        fs::weakly_canonical(other.folderName_, error) != fs::weakly_canonical(file.folderName_, error)) {
      continue;
    }
    throw InputError(file.option_ + " and " + other.option_ + " both name '" + Printable(file.name_) +
                     "': give each its own file");
  }
}

void OutputSet::Commit() {
  std::string failures, written;
  for (OutputFile& file : files_) {
    std::error_code error;
    if (file.kind_ == OutputFile::Kind::File) {
      file.temporary_ = Descriptor();
      fs::rename(file.leaf_, file.folderName_, error);
    }
    if (error) {
      if (!failures.empty()) failures += '\n';
      failures += Printable(file.name_) + ": cannot be replaced: " + error.message() +
                  "; its complete output is kept in " + Printable(file.leaf_) + "; " + Printable(file.name_) +
                  " is unchanged";
    } else {
      if (!written.empty()) written += ", ";
      written += Printable(file.name_);
    }
    file.leaf_.clear();
  }
  if (!failures.empty()) {
    throw std::runtime_error(failures + (written.empty() ? "\nno other output was written" : "\nwritten: " + written));
  }
}

}  // namespace pelmic::render
