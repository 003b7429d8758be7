// SPDX-License-Identifier: MIT
#include "output_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include "cycle/printable_text.h"
#include "stop_signals.h"
#include "temporary_names.h"

namespace pelmic::render {
namespace fs = std::filesystem;
namespace {

#if defined(O_BINARY)
constexpr int kBinary = O_BINARY;
#else
constexpr int kBinary = 0;
#endif
#if defined(_WIN32)
constexpr int kNoWait = 0;  // no FIFOs, and no terminal to become the controlling one
#else
// Never blocks in open (a FIFO without a reader fails with ENXIO instead) or
// in write (EAGAIN instead), so that a stop signal is always seen; and never
// makes a terminal the controlling one.
constexpr int kNoWait = O_NONBLOCK | O_NOCTTY;
#endif

constexpr int kStandardOutput = 1;
// How often a wait for a FIFO's reader, or for room in it, looks for a stop.
constexpr auto kStopPoll = std::chrono::milliseconds(20);
// As many links as the system itself follows before it gives up (ELOOP).
constexpr int kMaxLinkHops = 40;

[[noreturn]] void Fail(const std::string& name, const std::string& what, int error) {
  throw std::runtime_error(Printable(name) + ": " + what + ": " + std::generic_category().message(error));
}

void FailUnlessRunning(const std::string& name) {
  if (StopSignal() != 0) Fail(name, "cannot be written", EINTR);
}

// True when `name` is the file standard output already goes to (/dev/stdout,
// /dev/fd/1, or its own name): written through that descriptor, a file opened
// for appending is appended to rather than replaced.
bool IsStandardOutput(const std::string& name) {
#if defined(_WIN32)
  (void)name;
  return false;  // no inode numbers to compare
#else
  struct stat named {}, out {};
  return ::stat(name.c_str(), &named) == 0 && ::fstat(kStandardOutput, &out) == 0 && named.st_dev == out.st_dev &&
         named.st_ino == out.st_ino;
#endif
}

int BinaryStandardOutput() {
#if defined(_WIN32)
  _setmode(kStandardOutput, _O_BINARY);  // the same bytes as in a file: no CR before each LF
#endif
  return kStandardOutput;
}

// The folder of `path` as a prefix for a name in it: "" or ending in a separator.
std::string FolderOf(const fs::path& path) {
  const fs::path folder = path.parent_path();
  return folder.empty() ? std::string() : (folder / "").string();
}

bool IsLink(const std::string& name) {
  std::error_code error;
  return fs::is_symlink(fs::symlink_status(name, error));
}

// Waits until a FIFO has a reader, looking for a stop signal meanwhile.
int OpenFifo(const std::string& name) {
  for (;;) {
    FailUnlessRunning(name);
    const int fd = ::open(name.c_str(), O_WRONLY | kBinary | kNoWait);
    if (fd >= 0 || errno != ENXIO) return fd;
    std::this_thread::sleep_for(kStopPoll);
  }
}

void WaitUntilWritable(int fd) {
#if defined(_WIN32)
  (void)fd;
#else
  pollfd watch{fd, POLLOUT, 0};
  ::poll(&watch, 1, static_cast<int>(kStopPoll.count()));
#endif
}

// Whether renaming a file over the regular file `name` (opened as `target`)
// is a change nobody could tell from writing it with `>`: a file of the
// user's own, with one name, not reached through a link, with nothing a new
// file would lose (extended attributes: ACLs, labels; set-id bits).
bool RenameIsInvisible(const std::string& name, const struct stat& target) {
#if defined(_WIN32)
  (void)name, (void)target;
  return true;
#else
  struct stat named {};
  if (::lstat(name.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return false;
  if (named.st_dev != target.st_dev || named.st_ino != target.st_ino) return false;
  if (target.st_nlink != 1 || target.st_uid != ::geteuid() || (target.st_mode & 07000) != 0) return false;
#if defined(__linux__)
  if (::llistxattr(name.c_str(), nullptr, 0) > 0) return false;
#endif
  return true;
#endif
}

// Gives a temporary the group and rights of the file it will replace; false
// when the user may not.
bool TakeOwnerAndMode(int fd, const struct stat& target) {
#if defined(_WIN32)
  (void)fd, (void)target;
  return true;
#else
  struct stat made {};
  if (::fstat(fd, &made) != 0) return false;
  if (made.st_gid != target.st_gid && ::fchown(fd, static_cast<uid_t>(-1), target.st_gid) != 0) return false;
  return ::fchmod(fd, target.st_mode & 0777) == 0;
#endif
}

// Makes what was written durable before it is put in place: without it, a
// power cut soon after a rename can leave an empty file.
int SyncFile(int fd) {
#if defined(_WIN32)
  return ::_commit(fd);
#else
  return ::fsync(fd);
#endif
}

// Makes a rename in `folder` durable.
void SyncFolder(const std::string& folder) {
#if !defined(_WIN32)
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
#else
  (void)folder;
#endif
}

// Creates a new temporary in `folder`, exclusively, so it is never someone
// else's file; -1 and errno when the folder takes none.
int CreateTemporary(std::string& temporary, const std::string& folder) {
  for (;;) {
    temporary = NewTemporaryName(folder);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary, 0666);
    if (fd >= 0) return fd;
    const int reason = errno;
    temporary.clear();
    if (reason != EEXIST) {
      errno = reason;
      return -1;
    }
  }
}

// Writes all of `bytes` to `fd`; false with errno when it cannot.
bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const auto written = ::write(fd, bytes, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Copies the temporary into the target opened by name, as `>` opens it; the
// error number when that fails, else 0.
int CopyInto(const std::string& temporary, const std::string& target) {
  const int in = ::open(temporary.c_str(), O_RDONLY | kBinary);
  if (in < 0) return errno;
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kBinary | kNoWait, 0666);
  int reason = out < 0 ? errno : 0;
  std::vector<char> buffer(1 << 20);
  while (reason == 0) {
    const auto got = ::read(in, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (got <= 0) {
      reason = got < 0 ? errno : 0;
      break;
    }
    if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(got))) reason = errno;
  }
  if (reason == 0 && SyncFile(out) != 0) reason = errno;
  if (out >= 0 && ::close(out) != 0 && reason == 0) reason = errno;
  ::close(in);
  return reason;
}

// The file `name` leads to once links are followed by hand, whether it exists
// or not; only for comparing names, never for writing.
fs::path Resolved(const std::string& name) {
  fs::path path = name;
  std::error_code error;
  for (int hops = 0; hops < kMaxLinkHops && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
    const fs::path link = fs::read_symlink(path, error);
    if (error) break;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? fs::absolute(path, error).lexically_normal() : canonical;
}

}  // namespace

OutputFile::~OutputFile() {
  if (fd_ >= 0 && ownsFd_) ::close(fd_);
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    // A stop signal cuts a blocked write short (EINTR, or a part written): stop.
    FailUnlessRunning(name_);
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
    const auto written = ::write(fd_, bytes.data(), chunk);
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      WaitUntilWritable(fd_);
      continue;
    }
    if (written <= 0) Fail(name_, "cannot be written", written < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void OutputFile::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (!ownsFd_) return;
  const int synced = temporary_.empty() ? 0 : SyncFile(fd);
  const int reason = errno;
  // A file system may report a failed write only here (NFS, a full disk).
  if (::close(fd) != 0) Fail(name_, "cannot be written", errno);
  if (synced != 0) Fail(name_, "cannot be written", reason);
}

OutputSet::~OutputSet() {
  for (OutputFile& file : files_) {
    if (file.temporary_.empty()) continue;
    if (file.fd_ >= 0) ::close(file.fd_);
    file.fd_ = -1;
    std::error_code ignored;
    fs::remove(file.temporary_, ignored);
  }
}

OutputFile& OutputSet::Open(const std::string& name) {
  OutputFile& file = files_.emplace_back(name == "-" ? "standard output" : name);
  file.path_ = name;
  std::error_code error;
  if (fs::is_directory(fs::status(name, error))) {
    throw std::runtime_error(Printable(name) + ": is a directory, not a file to write");
  }
  if (name == "-" || IsStandardOutput(name)) {
    file.fd_ = BinaryStandardOutput();
    file.ownsFd_ = false;
    return file;
  }
  // The kernel's verdict, as for `>`: links followed under its guards,
  // nothing created or truncated yet.
  int fd = ::open(name.c_str(), O_WRONLY | kBinary | kNoWait);
  int reason = fd < 0 ? errno : 0;
  struct stat status {};
  if (reason == ENXIO && ::stat(name.c_str(), &status) == 0 && S_ISFIFO(status.st_mode)) {
    fd = OpenFifo(name);
    reason = fd < 0 ? errno : 0;
  }
  if (fd < 0 && reason != ENOENT) Fail(name, "cannot be written", reason);
  if (fd >= 0 && (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
    file.fd_ = fd;  // a device or FIFO, written in place
    return file;
  }
  if (fd >= 0) ::close(fd);
  const bool exists = fd >= 0;
  // A new name is created beside itself, as `>` would create it; a link that
  // leads nowhere yet is left for the kernel to follow at commit.
  const bool rename = exists ? RenameIsInvisible(name, status) : !IsLink(name);
  file.fd_ = CreateTemporary(file.temporary_, FolderOf(name));
  if (file.fd_ < 0 && rename && !exists) Fail(name, "cannot be written", errno);
  const bool renamed = file.fd_ >= 0 && rename && (!exists || TakeOwnerAndMode(file.fd_, status));
  file.finish_ = renamed ? OutputFile::Finish::Rename : OutputFile::Finish::Copy;
  // A target that is copied into may live in a folder the user cannot write.
  if (file.fd_ < 0) file.fd_ = CreateTemporary(file.temporary_, FolderOf(fs::temp_directory_path(error) / "x"));
  if (file.fd_ < 0) Fail(name, "cannot be written", errno);
  return file;
}

void OutputSet::Commit() {
  for (OutputFile& file : files_) file.Close();
  std::string replaced;
  for (OutputFile& file : files_) {
    if (file.temporary_.empty()) continue;
    std::error_code error;
    if (file.finish_ == OutputFile::Finish::Rename) {
      fs::rename(file.temporary_, file.path_, error);
      if (!error) SyncFolder(FolderOf(file.path_));
    } else if (const int reason = CopyInto(file.temporary_, file.path_); reason != 0) {
      error = std::error_code(reason, std::generic_category());
    }
    if (error) {
      throw std::runtime_error(Printable(file.name_) + ": cannot be replaced: " + error.message() +
                               (replaced.empty() ? "; no file was replaced" : "; already replaced: " + replaced));
    }
    if (file.finish_ == OutputFile::Finish::Copy) ::unlink(file.temporary_.c_str());
    file.temporary_.clear();
    replaced += (replaced.empty() ? "" : ", ") + Printable(file.name_);
  }
}

bool SameOutputFile(const std::string& a, const std::string& b) {
  if (a == "-" || b == "-") return a == b || IsStandardOutput(a == "-" ? b : a);
  std::error_code error;
  const fs::file_status first = fs::status(a, error);
  const fs::file_status second = fs::status(b, error);
  if (fs::exists(first) && fs::exists(second)) {
    return !fs::is_character_file(first) && fs::equivalent(a, b, error) && !error;
  }
  return fs::exists(first) == fs::exists(second) && Resolved(a) == Resolved(b);
}

}  // namespace pelmic::render
