// SPDX-License-Identifier: MIT
// The outputs on Linux: one decision per target at Open, kept with its
// descriptor; unnamed temporaries (O_TMPFILE); linkat and renameat2 at Commit.
#include "output_files.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "input_error.h"
#include "stop_signals.h"
#include "text/printable_text.h"

namespace pelmic::render {
namespace fs = std::filesystem;
namespace {

// Never blocks in open (a FIFO without a reader fails with ENXIO instead) or
// in write (EAGAIN instead), so that a stop signal is always seen; and never
// makes a terminal the controlling one.
constexpr int kTargetFlags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
constexpr int kStandardOutput = 1;
// How often a wait for a FIFO's reader, or for room in it, looks for a stop.
constexpr auto kStopPoll = std::chrono::milliseconds(20);
// As many links as the system itself follows before it gives up (ELOOP).
constexpr int kMaxLinkHops = 40;

bool gStandardOutputClosed = false;

[[noreturn]] void Fail(const std::string& name, const std::string& what, int error) {
  throw std::runtime_error(Printable(name) + ": " + what + ": " + std::generic_category().message(error));
}

void FailUnlessRunning(const std::string& name) {
  if (StopSignal() != 0) Fail(name, "cannot be written", EINTR);
}

// Standard output as the caller left it: a closed one holds /dev/null now.
bool IsStandardOutput(const struct stat& file) {
  struct stat out {};
  return !gStandardOutputClosed && ::fstat(kStandardOutput, &out) == 0 && file.st_dev == out.st_dev && file.st_ino == out.st_ino;
}

// Opens `name` as `>` would, but creating and truncating nothing; waits for
// a FIFO's reader, looking for a stop signal meanwhile.
int OpenTarget(const std::string& name) {
  for (;;) {
    FailUnlessRunning(name);
    const int fd = ::open(name.c_str(), kTargetFlags);
    const int reason = errno;
    struct stat status {};
    if (fd >= 0 || reason != ENXIO || ::stat(name.c_str(), &status) != 0 || !S_ISFIFO(status.st_mode)) {
      errno = reason;
      return fd;
    }
    std::this_thread::sleep_for(kStopPoll);
  }
}

// The file a missing name will be made as, following links by hand: the
// kernel follows none to a file that does not exist yet. A link in a sticky
// folder that others may write is followed only where the kernel's guard
// (fs.protected_symlinks) would follow it.
fs::path WhereCreated(const std::string& name) {
  fs::path path = name;
  for (int hops = 0; hops < kMaxLinkHops; ++hops) {
    std::error_code error;
    const fs::path link = fs::read_symlink(path, error);
    if (error) return path;
    struct stat folder {}, self {};
    const fs::path parent = path.parent_path().empty() ? "." : path.parent_path();
    if (::stat(parent.c_str(), &folder) == 0 && ::lstat(path.c_str(), &self) == 0 &&
        (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH) && self.st_uid != ::geteuid() &&
        self.st_uid != folder.st_uid) {
      Fail(name, "cannot be written", EACCES);
    }
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  Fail(name, "cannot be written", ELOOP);
}

bool WriteAt(int fd, const char* bytes, std::size_t size, off_t at) {
  while (size > 0) {
    const auto written = ::pwrite(fd, bytes, size, at);
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes += written, size -= static_cast<std::size_t>(written), at += written;
  }
  return true;
}

// Copies the temporary `from` into `to` as `>` rewrites a file, room for it
// reserved first, so that a full disk leaves it unchanged where the file
// system can tell. 0 or the reason; `changed` once a byte of `to` changed.
int CopyInto(int from, int to, bool& changed) {
  struct stat source {};
  if (::fstat(from, &source) != 0) return errno;
  if (::fallocate(to, FALLOC_FL_KEEP_SIZE, 0, source.st_size) != 0 && errno != EOPNOTSUPP) return errno;
  std::vector<char> buffer(1 << 20);
  for (off_t at = 0; at < source.st_size;) {
    const auto got = ::pread(from, buffer.data(), buffer.size(), at);
    if (got <= 0) return got < 0 ? errno : EIO;
    changed = true;
    if (!WriteAt(to, buffer.data(), static_cast<std::size_t>(got), at)) return errno;
    at += got;
  }
  changed = true;
  if (::ftruncate(to, source.st_size) != 0 || ::fsync(to) != 0) return errno;
  return 0;
}

// Links the unnamed temporary `fd` into `folder` as `name`, or, given more
// `tries`, `name-2` and on where that is taken; the name used, or "" with errno.
std::string LinkAs(int fd, int folder, const std::string& name, int tries) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int n = 1; n <= tries; ++n) {
    const std::string candidate = n == 1 ? name : name + "-" + std::to_string(n);
    if (::linkat(AT_FDCWD, self.c_str(), folder, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) return candidate;
    if (errno != EEXIST) return "";
  }
  return "";
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Puts the temporary in the place of the regular file it replaces, where
// nobody could tell that from writing the file with `>`: the user's own
// file, one name (this one, not a link), no set-id bits, no extended
// attributes (ACLs, labels) a new file would lose. POSIX has no rename that
// checks what it replaces, so the names are swapped (RENAME_EXCHANGE) and
// what was swapped out checked: not the file opened at the start, or no
// longer as checked (a link or mode added meanwhile), it is swapped back.
// What remains: a link made to the old file between that check and its
// removal a moment later keeps the old content. False when the caller is to
// copy instead; throws only when a swap cannot be undone.
bool Swap(int temporary, int target, int folder, const std::string& leaf, const std::string& name) {
  struct stat before {}, named {};
  if (::fstat(target, &before) != 0 || ::fstatat(folder, leaf.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
      !SameFile(before, named) || before.st_nlink != 1 || before.st_uid != ::geteuid() ||
      (before.st_mode & 07000) != 0 || ::flistxattr(target, nullptr, 0) != 0) {
    return false;
  }
  if (::fchown(temporary, static_cast<uid_t>(-1), before.st_gid) != 0 || ::fchmod(temporary, before.st_mode & 0777) != 0 ||
      ::fsync(temporary) != 0) {
    return false;
  }
  const std::string swapped = LinkAs(temporary, folder, "." + leaf + ".pelmic-render-" + std::to_string(::getpid()), 100);
  if (swapped.empty()) return false;
  // EXDEV, EBUSY: the target is a mount of its own (a bind mount).
  if (::renameat2(folder, swapped.c_str(), folder, leaf.c_str(), RENAME_EXCHANGE) != 0) {
    ::unlinkat(folder, swapped.c_str(), 0);
    return false;
  }
  struct stat out {}, after {};
  const bool kept = ::fstatat(folder, swapped.c_str(), &out, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(target, &after) == 0 &&
                    SameFile(out, before) && after.st_nlink == 1 && after.st_mode == before.st_mode &&
                    after.st_uid == before.st_uid && after.st_gid == before.st_gid;
  if (!kept && ::renameat2(folder, swapped.c_str(), folder, leaf.c_str(), RENAME_EXCHANGE) != 0) {
    Fail(name, "was replaced during the run; what was there is now " + swapped, errno);
  }
  ::unlinkat(folder, swapped.c_str(), 0);
  if (kept) ::fsync(folder);
  return kept;
}

// The mode `>` gives a file it creates.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Puts one output in place; 0 or the reason, `changed` once its target changed.
int Put(OutputFile::Kind kind, int temporary, int target, int folder, const std::string& leaf, bool sameFolder,
        const std::string& name, bool& changed) {
  if (kind == OutputFile::Kind::File) {
    if (sameFolder && folder >= 0 && Swap(temporary, target, folder, leaf, name)) return changed = true, 0;
    return CopyInto(temporary, target, changed);
  }
  if (::fchmod(temporary, NewFileMode()) != 0 || ::fsync(temporary) != 0) return errno;
  if (sameFolder) {
    if (LinkAs(temporary, folder, leaf, 1).empty()) return errno;
    ::fsync(folder);
    return changed = true, 0;
  }
  const Descriptor made(::openat(folder, leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (made.Get() < 0) return errno;
  return CopyInto(temporary, made.Get(), changed = true);
}

}  // namespace

void GuardStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == kStandardOutput) gStandardOutputClosed = true;
    ::open("/dev/null", O_RDWR);  // the lowest free number: this one
  }
  rlimit files{};
  if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
  }
}

bool NamesStream(const std::string& name) {
  if (name == "-") return true;
  const Descriptor fd(::open(name.c_str(), kTargetFlags));
  struct stat status {};
  if (fd.Get() < 0) return errno == ENXIO;
  return ::fstat(fd.Get(), &status) == 0 && (!S_ISREG(status.st_mode) || IsStandardOutput(status));
}

Descriptor::~Descriptor() {
  if (fd_ >= 0) ::close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    // A stop signal cuts a blocked write short (EINTR, or a part written): stop.
    FailUnlessRunning(name_);
    const auto written = ::write(fd_, bytes.data(), std::min<std::size_t>(bytes.size(), 1u << 30));
    if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd watch{fd_, POLLOUT, 0};
      ::poll(&watch, 1, static_cast<int>(kStopPoll.count()));
      continue;
    }
    if (written <= 0) Fail(name_, "cannot be written", written < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

OutputSet::~OutputSet() = default;  // the temporaries, unnamed, go with their descriptors

OutputFile& OutputSet::Open(const std::string& option, const std::string& name) {
  OutputFile& file = files_.emplace_back(option, name == "-" ? "standard output" : name);
  const int fd = name == "-" ? ::dup(kStandardOutput) : OpenTarget(name);
  const int reason = errno;
  struct stat status {};
  if (fd >= 0 && ::fstat(fd, &status) == 0 && (name == "-" || IsStandardOutput(status))) {
    ::close(fd);
    if (gStandardOutputClosed) Fail(file.name_, "cannot be written", EBADF);
    file.identity_ = {S_ISCHR(status.st_mode) ? 0 : status.st_dev, status.st_ino};
  } else if (fd >= 0 && S_ISREG(status.st_mode)) {
    OpenFile(file, fd, name);
  } else if (fd >= 0) {
    file.kind_ = OutputFile::Kind::Device;
    file.target_ = Descriptor(fd);
    file.fd_ = fd;
    file.identity_ = {S_ISCHR(status.st_mode) ? 0 : status.st_dev, status.st_ino};
  } else if (reason == ENOENT) {
    OpenNewName(file, name);
  } else if (reason == EISDIR) {
    throw std::runtime_error(Printable(name) + ": is a directory, not a file to write");
  } else {
    Fail(name, "cannot be written", reason);
  }
  CheckApart(file);
  return file;
}

void OutputSet::OpenFile(OutputFile& file, int fd, const std::string& name) {
  file.kind_ = OutputFile::Kind::File;
  file.target_ = Descriptor(fd);
  struct stat status {};
  ::fstat(fd, &status);
  file.identity_ = {status.st_dev, status.st_ino};
  const fs::path path = name;
  file.folderName_ = path.parent_path().string();
  file.folder_ = Folder(file.folderName_.empty() ? "." : file.folderName_);
  file.leaf_ = path.filename().string();
  CreateTemporary(file);
}

void OutputSet::OpenNewName(OutputFile& file, const std::string& name) {
  file.kind_ = OutputFile::Kind::NewName;
  const fs::path path = WhereCreated(name);
  file.folderName_ = path.parent_path().string();
  file.folder_ = Folder(file.folderName_.empty() ? "." : file.folderName_);
  if (file.folder_ < 0) Fail(name, "cannot be written", errno);
  struct stat status {};
  ::fstat(file.folder_, &status);
  file.identity_ = {status.st_dev, status.st_ino};
  file.leaf_ = path.filename().string();
  CreateTemporary(file);
  // A folder without unnamed files: its temporary went elsewhere, so ask
  // whether a file can be made here at all.
  if (file.temporaryFolder_ != file.folder_ && ::faccessat(file.folder_, ".", W_OK | X_OK, AT_EACCESS) != 0) {
    Fail(name, "cannot be written", errno);
  }
}

int OutputSet::Folder(const std::string& path) {
  auto found = folders_.find(path);
  if (found == folders_.end()) {
    found = folders_.emplace(path, Descriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))).first;
  }
  return found->second.Get();
}

// Makes the temporary beside the target where the folder takes one, so that
// it can be put in place at once, else in $TMPDIR. A new name in a folder the
// user may not write is refused, as by `>`.
void OutputSet::CreateTemporary(OutputFile& file) {
  int fd = file.folder_ < 0 ? -1 : ::openat(file.folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  const int reason = errno;
  if (fd >= 0) {
    file.temporaryFolder_ = file.folder_;
    file.temporaryFolderName_ = file.folderName_;
  } else if (file.kind_ == OutputFile::Kind::NewName && reason != EOPNOTSUPP && reason != EISDIR) {
    Fail(file.name_, "cannot be written", reason);
  } else {
    std::error_code error;
    file.temporaryFolderName_ = fs::temp_directory_path(error).string();
    file.temporaryFolder_ = Folder(file.temporaryFolderName_);
    fd = ::openat(file.temporaryFolder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) Fail(file.name_, "cannot be written: no temporary in " + file.temporaryFolderName_, errno);
  }
  file.temporary_ = Descriptor(fd);
  file.fd_ = fd;
}

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

// Names the temporary of an output that could not be put in place, beside
// where it was made, with the mode the target would have had; the name.
std::string OutputSet::Keep(OutputFile& file) {
  struct stat status {};
  const bool file_ = file.kind_ == OutputFile::Kind::File && ::fstat(file.target_.Get(), &status) == 0;
  ::fchmod(file.fd_, file_ ? status.st_mode & 0777 : NewFileMode());
  const std::string leaf = fs::path(file.name_).filename().string() + ".pelmic-render";
  const std::string kept = LinkAs(file.fd_, file.temporaryFolder_, leaf, 100);
  if (kept.empty()) return "nowhere (" + std::generic_category().message(errno) + ")";
  return Printable((fs::path(file.temporaryFolderName_) / kept).string());
}

void OutputSet::Commit() {
  const StopSignalsHeld held;  // a second signal must not cut a swap in two
  std::string failures, written;
  for (OutputFile& file : files_) {
    bool changed = file.kind_ == OutputFile::Kind::Stream || file.kind_ == OutputFile::Kind::Device;
    const int reason = changed ? 0
                               : Put(file.kind_, file.fd_, file.target_.Get(), file.folder_, file.leaf_,
                                     file.temporaryFolder_ == file.folder_, file.name_, changed);
    const std::string name = Printable(file.name_);
    if (reason == 0) {
      written += (written.empty() ? "" : ", ") + name;
    } else {
      failures += (failures.empty() ? "" : "\n") + name + ": cannot be replaced: " +
                  std::generic_category().message(reason) + "; its complete output is kept in " + Keep(file) +
                  (changed ? "; " + name + " was changed (cut short)" : "; " + name + " is unchanged");
    }
  }
  if (!failures.empty()) {
    throw std::runtime_error(failures + (written.empty() ? "\nno other output was written" : "\nwritten: " + written));
  }
}

}  // namespace pelmic::render
