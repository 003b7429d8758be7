// SPDX-License-Identifier: MIT
// The outputs on Windows, with fewer promises than on Linux: no FIFOs, no
// unnamed temporaries and no room reserved. Each target is opened for
// writing when the run starts; each output but standard output and devices
// is produced into a temporary in %TEMP% that the system deletes once it is
// closed, however the program ends, and written at Commit into the file
// opened at the start, or into a new name made then.
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <system_error>

#include "output_files.h"
#include "stop_signals.h"
#include "text/printable_text.h"

namespace pelmic::render {
namespace fs = std::filesystem;
namespace {

constexpr int kCreate = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
constexpr int kOwnerMayWrite = _S_IREAD | _S_IWRITE;

std::string Reason(int error) { return std::generic_category().message(error); }

[[noreturn]] void Fail(const std::string& name, int error) {
  throw std::runtime_error(Printable(name) + ": cannot be written: " + Reason(error));
}

// Copies the temporary `from` over the content of `to`, as `>` rewrites a
// file. 0 or the reason; `changed` once a byte of `to` changed.
int CopyInto(int from, int to, bool& changed) {
  if (::_lseeki64(from, 0, SEEK_SET) != 0 || ::_lseeki64(to, 0, SEEK_SET) != 0) return errno;
  char buffer[1 << 16];
  for (int got; (got = ::_read(from, buffer, sizeof buffer)) != 0;) {
    if (got < 0) return errno;
    for (int at = 0, put = 0; at < got; at += put) {
      put = ::_write(to, buffer + at, static_cast<unsigned>(got - at));
      if (put <= 0) return put < 0 ? errno : EIO;
      changed = true;
    }
  }
  if (::_chsize_s(to, ::_lseeki64(from, 0, SEEK_CUR)) != 0) return errno;
  changed = true;
  return 0;
}

}  // namespace

void GuardStandardDescriptors() {
  _setmode(1, _O_BINARY);  // the same bytes as in a file: no CR before each LF
}

bool NamesStream(const std::string& name) {
  std::error_code error;
  if (name == "-" || fs::is_directory(name, error)) return name == "-";
  const Descriptor fd(::_open(name.c_str(), _O_WRONLY | _O_BINARY));  // what it opens as: NUL, CON
  struct _stat64 status {};
  return fd.Get() >= 0 && ::_fstat64(fd.Get(), &status) == 0 && (status.st_mode & _S_IFMT) != _S_IFREG;
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
    const int reason = written < 0 ? errno : EIO;
    if (written <= 0 && temporary_.Get() < 0) Fail(name_, reason);
    if (written <= 0) {
      throw std::runtime_error(Printable(name_) + ": its temporary in " + Printable(temporaryPlace_) +
                               " cannot be written (" + Reason(reason) + ")");
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

OutputSet::~OutputSet() = default;  // the temporaries go as they are closed

OutputFile& OutputSet::Open(const std::string& option, const std::string& name) {
  using Kind = OutputFile::Kind;
  OutputFile& file = files_.emplace_back(option, name == "-" ? "standard output" : name);
  std::error_code error;
  struct _stat64 status {};
  if (name == "-") {
    file.kind_ = Kind::Stream;
  } else if (fs::is_directory(name, error)) {
    throw std::runtime_error(Printable(name) + ": is a directory, not a file to write");
  } else if (const int fd = ::_open(name.c_str(), _O_WRONLY | _O_BINARY); fd >= 0) {  // as `>` opens it, not truncated
    file.target_ = Descriptor(fd);
    // Judged by what it opens as: NUL or CON is a device whatever its name.
    file.kind_ = ::_fstat64(fd, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG ? Kind::File : Kind::Device;
    if (file.kind_ == Kind::Device) file.fd_ = fd;
  } else if (errno == ENOENT) {
    const fs::path folder = fs::path(name).parent_path();
    if (!fs::is_directory(folder.empty() ? "." : folder, error)) Fail(name, ENOENT);
    file.kind_ = Kind::NewName;
  } else {
    Fail(name, errno);
  }
  // Without inode numbers, one file is one full name; a device (NUL) takes any number.
  file.leaf_ = fs::weakly_canonical(name, error).string();
  file.identity_ = {file.kind_ == Kind::Device ? 0u : 1u, std::hash<std::string>{}(file.leaf_)};
  if (file.kind_ == Kind::File || file.kind_ == Kind::NewName) MakeTemporary(file, name);
  CheckApart(file);
  return file;
}

void OutputSet::MakeTemporary(OutputFile& file, const std::string&) {
  std::error_code error;
  file.temporaryPlace_ = fs::temp_directory_path(error).string();
  const std::string name = "pelmic-render-" + std::to_string(::_getpid()) + "-" + std::to_string(files_.size()) + ".tmp";
  const int fd = ::_open((fs::path(file.temporaryPlace_) / name).string().c_str(),
                         _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_TEMPORARY | _O_SHORT_LIVED, kOwnerMayWrite);
  if (fd < 0) {
    throw std::runtime_error(Printable(file.name_) + ": no temporary can be made in " + Printable(file.temporaryPlace_) +
                             " (" + Reason(errno) + ")");
  }
  file.temporary_ = Descriptor(fd);
  file.fd_ = fd;
}

int OutputSet::Put(OutputFile& file, bool& changed) {
  if (file.kind_ == OutputFile::Kind::File) return CopyInto(file.fd_, file.target_.Get(), changed);
  Descriptor made(::_open(file.name_.c_str(), kCreate, kOwnerMayWrite));
  if (made.Get() < 0) return errno;
  const int reason = CopyInto(file.fd_, made.Get(), changed);
  made = Descriptor();
  if (reason != 0 && ::_unlink(file.name_.c_str()) == 0) changed = false;  // made a moment ago and incomplete
  return reason;
}

std::string OutputSet::Keep(OutputFile& file) {
  const std::string leaf = fs::path(file.name_).filename().string() + ".pelmic-render";
  const std::string places[] = {(fs::path(file.name_).parent_path() / leaf).string(),
                                (fs::path(file.temporaryPlace_) / leaf).string()};
  std::string reasons[2];
  for (int place = 0; place < 2; ++place) {
    Descriptor copy(::_open(places[place].c_str(), kCreate, kOwnerMayWrite));
    bool changed = false;
    const int reason = copy.Get() < 0 ? errno : CopyInto(file.fd_, copy.Get(), changed);
    if (reason == 0) return "kept in " + Printable(places[place]);
    if (copy.Get() >= 0) copy = Descriptor(), ::_unlink(places[place].c_str());
    reasons[place] = Reason(reason);
  }
  return "lost: no copy can be kept beside it (" + reasons[0] + ") nor in " + Printable(file.temporaryPlace_) + " (" +
         reasons[1] + ")";
}

}  // namespace pelmic::render
