#include "output_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include "printable_text.h"
#include "stop_signals.h"

namespace pelmic::render {
namespace fs = std::filesystem;
namespace {

#if defined(O_BINARY)
constexpr int kBinary = O_BINARY;
#else
constexpr int kBinary = 0;
#endif

constexpr int kStandardOutput = 1;
// As many links as the system itself follows before it gives up (ELOOP).
constexpr int kMaxLinkHops = 40;

[[noreturn]] void Fail(const std::string& name, const std::string& what, int error) {
  throw std::runtime_error(Printable(name) + ": " + what + ": " + std::generic_category().message(error));
}

// The regular file `name` leads to once symbolic links are followed, whether
// it exists or not: a dangling link leads to the file that writing it creates.
fs::path FollowLinks(const std::string& name) {
  fs::path path = name;
  std::error_code error;
  for (int hops = 0; fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
    if (hops == kMaxLinkHops) Fail(name, "cannot be written", ELOOP);
    const fs::path link = fs::read_symlink(path, error);
    if (error) Fail(name, "cannot be written", error.value());
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
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

}  // namespace

OutputFile::~OutputFile() {
  if (fd_ >= 0 && ownsFd_) ::close(fd_);
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    // A stop signal cuts a blocked write short (EINTR, or a part written): stop.
    if (StopSignal() != 0) Fail(name_, "cannot be written", EINTR);
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
    const auto written = ::write(fd_, bytes.data(), chunk);
    if (written <= 0) Fail(name_, "cannot be written", written < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void OutputFile::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  // A file system may report a failed write only here (NFS, a full disk).
  if (ownsFd_ && ::close(fd) != 0) Fail(name_, "cannot be written", errno);
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
  // The kind is what the system finds at the end of any links, magic ones
  // such as /dev/stdout -> /proc/self/fd/1 -> pipe:[...] included.
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  if (fs::is_directory(status)) throw std::runtime_error(Printable(name) + ": is a directory, not a file to write");
  if (name == "-" || IsStandardOutput(name)) {
    file.fd_ = BinaryStandardOutput();
    file.ownsFd_ = false;
  } else if (fs::exists(status) && !fs::is_regular_file(status)) {
    // A device, FIFO or socket: replacing it would put a plain file in its place.
    file.fd_ = ::open(name.c_str(), O_WRONLY | kBinary);
    if (file.fd_ < 0) Fail(name, "cannot be written", errno);
  } else {
    file.target_ = FollowLinks(name).string();
    file.fd_ = CreateTemporaryBeside(file);
    // A file replaced keeps who may read it; a new one gets the usual rights.
    if (fs::is_regular_file(status)) fs::permissions(file.temporary_, status.permissions() & fs::perms::all, error);
  }
  return file;
}

// A short hidden name, so that a target whose name is near the length limit
// still gets one; created exclusively, so it is never someone else's file.
int OutputSet::CreateTemporaryBeside(OutputFile& file) {
  const fs::path folder = fs::path(file.target_).parent_path();
  for (;;) {
    const std::string leaf = ".pelmic-render-" + std::to_string(::getpid()) + "-" + std::to_string(nextSerial_++);
    file.temporary_ = (folder / (leaf + ".partial")).string();
    const int fd = ::open(file.temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary, 0666);
    if (fd >= 0) return fd;
    const int reason = errno;
    file.temporary_.clear();
    if (reason != EEXIST) Fail(file.name_, "cannot be written", reason);
  }
}

void OutputSet::Commit() {
  for (OutputFile& file : files_) file.Close();
  std::string replaced;
  for (OutputFile& file : files_) {
    if (file.temporary_.empty()) continue;
    std::error_code error;
    fs::rename(file.temporary_, file.target_, error);
    if (error) {
      throw std::runtime_error(Printable(file.name_) + ": cannot be replaced: " + error.message() +
                               (replaced.empty() ? "; no file was replaced" : "; already replaced: " + replaced));
    }
    file.temporary_.clear();
    replaced += (replaced.empty() ? "" : ", ") + Printable(file.name_);
  }
}

}  // namespace pelmic::render
