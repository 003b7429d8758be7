// SPDX-License-Identifier: MIT
// The outputs on Linux: each target opened at Open as `>` opens it, but not
// truncated; unnamed temporaries (O_TMPFILE); at Commit each temporary
// copied into the descriptor checked, or into a new name made then.
#include "output_files.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <thread>

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
// The name that keeps an output that could not be put in place, shortened
// to fit the longest name a folder takes, with room for "-100".
constexpr std::string_view kKept = ".pelmic-render";
constexpr std::size_t kKeptStemMax = 255 - kKept.size() - 4;

bool gStandardOutputClosed = false;

std::string Reason(int error) { return std::generic_category().message(error); }

[[noreturn]] void Fail(const std::string& name, const std::string& what, int error) {
  throw std::runtime_error(Printable(name) + ": " + what + ": " + Reason(error));
}

void FailUnlessRunning(const std::string& name) {
  if (StopSignal() != 0) Fail(name, "cannot be written", EINTR);
}

bool NamesStandardOutput(const std::string& name) { return name == "-" || name == "/dev/stdout"; }

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

// The identity two outputs in one file share; 0 for a character device,
// which takes any number (/dev/null, a terminal).
FileIdentity Identity(const struct stat& file) { return {S_ISCHR(file.st_mode) ? 0 : file.st_dev, file.st_ino}; }

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

// Writes the temporary `from` over the content of `to`, in place, as `>`
// rewrites a file; room for it reserved first, so that a full disk leaves
// `to` unchanged where the file system can reserve. 0 or the reason;
// `changed` once a byte of `to` changed.
int CopyInto(int from, int to, bool& changed) {
  struct stat source {};
  if (::fstat(from, &source) != 0) return errno;
  if (::fallocate(to, FALLOC_FL_KEEP_SIZE, 0, source.st_size) != 0 && errno != EOPNOTSUPP) return errno;
  for (off_t at = 0; at < source.st_size;) {
    const auto sent = ::sendfile(to, from, &at, static_cast<std::size_t>(source.st_size - at));
    if (sent <= 0) return sent < 0 ? errno : EIO;
    changed = true;
  }
  if (::ftruncate(to, source.st_size) != 0) return errno;
  changed = true;
  return 0;
}

bool SameFile(int fd, int folder, const std::string& leaf) {
  struct stat opened {}, named {};
  return ::fstat(fd, &opened) == 0 && ::fstatat(folder, leaf.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Gives the temporary `fd` a name in `folder`: `leaf`, or `leaf-2` and on
// where that is taken; a link where the temporary lies on that file system,
// else a copy with `mode`. The name used, or "" with errno.
std::string KeepAs(int fd, int folder, const std::string& leaf, mode_t mode) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int n = 1; n <= 100; ++n) {
    const std::string name = n == 1 ? leaf : leaf + "-" + std::to_string(n);
    if (::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return name;
    if (errno == EXDEV) {
      const Descriptor copy(::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
      bool changed = false;
      const int reason = copy.Get() < 0 ? errno : CopyInto(fd, copy.Get(), changed);
      if (reason == 0) return name;
      if (copy.Get() >= 0 && SameFile(copy.Get(), folder, name)) ::unlinkat(folder, name.c_str(), 0);
      errno = reason;
    }
    if (errno != EEXIST) return "";
  }
  return "";
}

// The mode `>` gives a file it creates.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
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
  struct stat status {};
  if (NamesStandardOutput(name) || ::stat(name.c_str(), &status) != 0) return NamesStandardOutput(name);
  return S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode);
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
    const int reason = written < 0 ? errno : EIO;
    if (written <= 0 && temporary_.Get() < 0) Fail(name_, "cannot be written", reason);
    if (written <= 0) {
      throw std::runtime_error(Printable(name_) + ": its temporary in " + Printable(temporaryPlace_) +
                               " cannot be written (" + Reason(reason) + ")");
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

OutputSet::~OutputSet() = default;  // the temporaries, unnamed, go with their descriptors

OutputFile& OutputSet::Open(const std::string& option, const std::string& name) {
  using Kind = OutputFile::Kind;
  OutputFile& file = files_.emplace_back(option, name == "-" ? "standard output" : name);
  struct stat status {};
  if (NamesStandardOutput(name)) {
    if (gStandardOutputClosed || ::fstat(kStandardOutput, &status) != 0) Fail(file.name_, "cannot be written", EBADF);
    file.identity_ = Identity(status);
  } else if (const int fd = OpenTarget(name); fd >= 0) {
    file.target_ = Descriptor(fd);
    ::fstat(fd, &status);
    file.identity_ = Identity(status);
    file.kind_ = S_ISREG(status.st_mode) ? Kind::File : Kind::Device;
    if (file.kind_ == Kind::File) MakeTemporary(file, name);
    if (file.kind_ == Kind::Device) file.fd_ = fd;
  } else if (errno == ENOENT) {
    file.kind_ = Kind::NewName;
    MakeTemporary(file, WhereCreated(name));
    ::fstat(file.folder_, &status);
    file.identity_ = Identity(status);
  } else if (errno == EISDIR) {
    throw std::runtime_error(Printable(name) + ": is a directory, not a file to write");
  } else {
    Fail(name, "cannot be written", errno);
  }
  CheckApart(file);
  return file;
}

int OutputSet::Folder(const std::string& path) {
  auto found = folders_.find(path);
  if (found == folders_.end()) {
    // O_PATH: a folder written in need not be readable (a drop box, mode 1733).
    found = folders_.emplace(path, Descriptor(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC))).first;
  }
  return found->second.Get();
}

// Makes the temporary beside the target `path` where its folder takes one,
// else in $TMPDIR. A new name in a folder `>` could not create in is refused.
void OutputSet::MakeTemporary(OutputFile& file, const std::string& path) {
  const fs::path name = path;
  file.folderName_ = name.parent_path().string();
  file.leaf_ = name.filename().string();
  file.folder_ = Folder(file.folderName_.empty() ? "." : file.folderName_);
  if (file.folder_ < 0) Fail(file.name_, "cannot be written", errno);
  int fd = ::openat(file.folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  const int beside = errno;
  file.temporaryPlace_ = file.folderName_.empty() ? "." : file.folderName_;
  if (fd < 0) {
    if (file.kind_ == OutputFile::Kind::NewName && ::faccessat(file.folder_, ".", W_OK | X_OK, AT_EACCESS) != 0) {
      Fail(file.name_, "cannot be written", errno);
    }
    file.temporaryPlace_ = TemporaryFolder();
    fd = ::open(file.temporaryPlace_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
      throw std::runtime_error(Printable(file.name_) + ": no temporary can be made beside it (" + Reason(beside) +
                               ") nor in " + Printable(file.temporaryPlace_) + " (" + Reason(errno) + ")");
    }
  }
  file.temporary_ = Descriptor(fd);
  file.fd_ = fd;
}

int OutputSet::Put(OutputFile& file, bool& changed) {
  if (file.kind_ == OutputFile::Kind::File) return CopyInto(file.fd_, file.target_.Get(), changed);
  // Made as `>` makes it: the kernel applies the umask and the folder's default ACL.
  const Descriptor made(
      ::openat(file.folder_, file.leaf_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666));
  if (made.Get() < 0) return errno;
  const int reason = CopyInto(file.fd_, made.Get(), changed);
  // Made a moment ago and incomplete: taken back, so that it is unchanged.
  if (reason != 0 && SameFile(made.Get(), file.folder_, file.leaf_) && ::unlinkat(file.folder_, file.leaf_.c_str(), 0) == 0) {
    changed = false;
  }
  return reason;
}

std::string OutputSet::Keep(OutputFile& file) {
  struct stat status {};
  const bool existing = file.kind_ == OutputFile::Kind::File && ::fstat(file.target_.Get(), &status) == 0;
  const mode_t mode = existing ? status.st_mode & 0777 : NewFileMode();  // the target's, or what it would have had
  ::fchmod(file.fd_, mode);
  const std::string leaf = file.leaf_.substr(0, kKeptStemMax) + std::string(kKept);
  std::string kept = KeepAs(file.fd_, file.folder_, leaf, mode);
  if (!kept.empty()) return "kept in " + Printable((fs::path(file.folderName_) / kept).string());
  const std::string beside = Reason(errno);
  const std::string folder = TemporaryFolder();
  const Descriptor temporaries(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (temporaries.Get() >= 0) kept = KeepAs(file.fd_, temporaries.Get(), leaf, mode);
  if (!kept.empty()) return "kept in " + Printable((fs::path(folder) / kept).string());
  return "lost: no name can be made for it beside it (" + beside + ") nor in " + Printable(folder) + " (" +
         Reason(errno) + ")";
}

}  // namespace pelmic::render
