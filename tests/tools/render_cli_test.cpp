// SPDX-License-Identifier: MIT
// pelmic-render run as a process: bad input, determinism, the picture, the
// report, the kinds of output target, stops, memory at scale; and its output
// set on its own, for the one failure a process cannot be made to meet.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "output_files.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status;
  std::string err;
  std::string out;
};

// Every byte of a message is printable ASCII or a line end, so that no file
// name or file content can drive the terminal it is shown on.
bool PrintableOnly(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\n'; });
}

// Starts pelmic-render with `args`, standard error on `errFd` (closed: none);
// in `plantIn`, a file named as a temporary of the run might be, but not its.
pid_t Start(const std::vector<std::string>& args, int errFd = -1, const fs::path& plantIn = {}) {
  std::vector<char*> argv{const_cast<char*>(PELMIC_RENDER_PATH)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!plantIn.empty()) std::ofstream(plantIn / (".pelmic-render-" + std::to_string(::getpid()) + "-0.partial"));
    errFd < 0 ? ::close(2) : ::dup2(errFd, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

// Runs pelmic-render as Start does; its exit status and the peak resident
// memory of its own run, in KiB.
std::pair<int, long> RunMeasured(const std::vector<std::string>& args, int errFd = -1) {
  const pid_t pid = Start(args, errFd);
  int raw = 0;
  rusage usage{};
  ::wait4(pid, &raw, 0, &usage);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, usage.ru_maxrss};
}

class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pelmic-render-test-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Path(const std::string& name) const { return dir_ / name; }

  fs::path WriteSites(const std::string& text) const {
    const fs::path path = Path("sites.txt");
    std::ofstream(path) << text;
    return path;
  }

  RunResult Render(const std::string& args) const {
    const fs::path err = Path("stderr.txt");
    const fs::path out = Path("stdout.txt");
    const std::string command =
        std::string(PELMIC_RENDER_PATH) + " " + args + " 2>" + err.string() + " >" + out.string();
    const int raw = std::system(command.c_str());
    const RunResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(err), Read(out)};
    fs::remove(err);
    fs::remove(out);
    return result;
  }

  // A copy of /dev/null (minor 3) or /dev/full (minor 7) where allowed (root),
  // so that a fault cannot replace the system's own; else the device itself,
  // which a user who is not root cannot replace anyway.
  std::string MemoryDevice(const char* name, unsigned minor) const {
    const fs::path copy = Path(name);
    const bool made = ::mknod(copy.c_str(), S_IFCHR | 0666, ::makedev(1, minor)) == 0;
    return made ? copy.string() : "/dev/" + std::string(name);
  }

  // Names of everything under the test's folder, to see what a run left.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Expects status 2, one short message containing `phrase`, and no report file.
  void ExpectRejected(const std::string& args, const std::string& phrase) const {
    const std::vector<std::string> before = Listing();
    const fs::path out = Path("out.json");
    const RunResult run = Render(args + " --json " + out.string());
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find(phrase), std::string::npos) << args << "\nstderr: " << run.err.substr(0, 500);
    EXPECT_LT(run.err.size(), 400u) << "a bad line must not be echoed whole";
    EXPECT_TRUE(PrintableOnly(run.err)) << args << "\nstderr: " << run.err.substr(0, 500);
    EXPECT_EQ(Listing(), before) << args;
  }

  fs::path dir_;
};

TEST_F(RenderCli, RejectsBadSitesFilesNamingTheProblem) {
  const std::string size = " --size 800x600";
  ExpectRejected("--sites " + Path("missing.txt").string() + size, "cannot be read");
  ExpectRejected("--sites " + dir_.string() + size, "is a directory");
  const std::pair<std::string, std::string> cases[] = {
      {"10 10\n20 20 30\n", "sites.txt:2: expected two finite numbers"},
      {"10 10\nabc 20\n", ":2: expected two finite numbers"},
      {"10\n20 20\n", ":1: expected two finite numbers"},
      {"10 10\nnan 20\n", ":2: expected two finite numbers"},
      {"10 10\n1e999 20\n", ":2: expected two finite numbers"},
      {"10 10\n", "needs at least 2 sites"},
      {"10 10\n800 20\n", ":2: site (800, 20) lies outside the screen"},
      {"10 10\n5 -0.5\n", ":2: site (5, -0.5) lies outside the screen"},
      {"10 10\n\n20 20\n10 10\n", ":4: site (10, 10) coincides with the site on line 1"},
      // Too small for a double, it reads as the nearest one, 0.
      {"0 10\n1e-400 10\n", ":2: site (1e-400, 10) coincides with the site on line 1"},
      {"10 10\n" + std::string(3000, '7') + " x\n", ":2: expected two finite numbers 'x y', got '777"},
      {"10 10\n" + std::string(5000, '7') + "\n", ":2: line longer than 4096 bytes"},
      {std::string(5000, ' ') + "\n10 10\n20 20\n", ":1: line longer than 4096 bytes"},
      // Bytes outside printable ASCII are spelled out: a byte-order mark past
      // the very start, a no-break space, a C1 control (CSI), an escape.
      {"\xEF\xBB\xBF" "10 10\n\xEF\xBB\xBF" "20 20\n", ":2: expected two finite numbers 'x y', got '\\xEF\\xBB\\xBF20"},
      {"10 10\n100\xC2\xA0" "100\n", "got '100\\xC2\\xA0" "100'"},
      {"10 10\n1 \xC2\x9B" "31m\n", "got '1 \\xC2\\x9B" "31m'"},
      {"10 10\n\x1B]0;title\x07 2\n", "got '\\x1B]0;title\\x07 2'"},
      {"10 10\n" + std::string(100, '\xFF') + "\n", "got '\\xFF\\xFF"},
  };
  for (const auto& [text, phrase] : cases) ExpectRejected("--sites " + WriteSites(text).string() + size, phrase);
  std::string fifty;
  for (int n = 0; n < 50; ++n) fifty += std::to_string(10 + n) + " 10\n";
  ExpectRejected("--sites " + WriteSites(fifty).string() + size, ":50: more than 49 sites");
  ExpectRejected("--sites '" + Path("s\x1B[31m\xC2\x9B.txt").string() + "'" + size, "s\\x1B[31m\\xC2\\x9B.txt: cannot");
}

TEST_F(RenderCli, RejectsBadOptions) {
  const std::string sites = WriteSites("10 10\n20 30\n").string();
  for (const char* size : {"800", "0x600", "800x", "axb", "800x600x2", "-5x5"}) {
    ExpectRejected("--sites " + sites + " --size " + size, "--size must be WxH");
  }
  ExpectRejected("--sites " + sites + " --colour red", "unknown option '--colour'");
  ExpectRejected("--sites " + sites + " '--\x9B" "2J'", "unknown option '--\\x9B2J'");
  ExpectRejected("--seed x7", "--seed must be a whole number");
  ExpectRejected("--cycles 0", "--cycles must be");
  // Outputs: an empty name, one picture numbered on a stream, two
  // outputs in one file (by name, or a numbered picture through a link).
  ExpectRejected("--seed 1 --out ''", "--out needs a value, not an empty one");
  ExpectRejected("--seed 1 --cycles 2 --out -", "--out - holds one picture");
  ExpectRejected("--seed 1 --cycles 2 --out " + MemoryDevice("null", 3), "null holds one picture");
  ExpectRejected("--seed 1 --cycles 2 --out /dev/stdout", "/dev/stdout holds one picture");
  ExpectRejected("--seed 1 --out " + Path("out.json").string(), "--out and --json both name");
  ExpectRejected("--seed 1 --json " + Path("a.json").string(), "--json given twice");
  ExpectRejected("--seed 1 --cycles 2 --out " + dir_.string() + "/", "names a folder");
  fs::create_symlink("out.json", Path("pic-2.png"));
  ExpectRejected("--seed 1 --cycles 3 --out " + Path("pic.png").string(), "both name '" + Path("pic-2.png").string());
}

TEST_F(RenderCli, HelpAndVersionGoToStandardOutput) {
  for (const char* args : {"--help", "-h", "--seed 1 --help --no-such-option", "--version"}) {
    const RunResult run = Render(args);
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_EQ(run.err, "") << args;
    const bool version = std::string(args) == "--version";
    EXPECT_EQ(run.out.rfind(version ? "pelmic-render 1." : "usage: pelmic-render", 0), 0u) << args << run.out;
    EXPECT_EQ(run.out.find("--json FILE") != std::string::npos, !version) << args;
    EXPECT_EQ(run.out.find("\nMIT License") != std::string::npos, version) << args;
  }
}

TEST_F(RenderCli, FixedSitesReportTheirCellsExactly) {
  const fs::path json = Path("cells.json");
  // A byte-order mark at the very start is not part of the first line.
  ASSERT_EQ(Render("--sites " + WriteSites("\xEF\xBB\xBF" "100 100\n300 200\n\n110 300\n").string() +
                   " --size 800x600 --json " +
                   json.string())
                .status,
            0);
  const std::string report = Read(json);
  EXPECT_EQ(report.rfind("{\"width\":800,\"height\":600,\"cycles\":[{\"siteCount\":3,", 0), 0u) << report;
  // The three edges of these sites meet at (176.7948717948718, 196.41025641025641).
  EXPECT_NE(report.find("[1,2,176.79487179487"), std::string::npos) << report;
  EXPECT_NE(report.find("[2,1,176.79487179487"), std::string::npos) << report;
}

double SumOfAreas(const std::string& report) {
  const std::string key = "\"area\":";
  double sum = 0;
  for (std::size_t at = report.find(key); at != std::string::npos; at = report.find(key, at + 1)) {
    sum += std::strtod(report.c_str() + at + key.size(), nullptr);
  }
  return sum;
}

TEST_F(RenderCli, TheSameSeedGivesIdenticalBytes) {
  for (const char* run : {"a", "b"}) {
    ASSERT_EQ(Render(std::string("--seed 11 --size 640x480 --out ") + Path(std::string(run) + ".png").string() +
                     " --json " + Path(std::string(run) + ".json").string())
                  .status,
              0);
  }
  EXPECT_EQ(Read(Path("a.png")), Read(Path("b.png")));
  EXPECT_EQ(Read(Path("a.json")), Read(Path("b.json")));
  EXPECT_GT(Read(Path("a.png")).size(), 1000u);
}

TEST_F(RenderCli, EveryCycleIsReportedAndItsAreasFillTheScreen) {
  const fs::path json = Path("cycles.json");
  ASSERT_EQ(Render("--seed 3 --size 1024x768 --cycles 3 --out " + Path("pic.png").string() + " --json " +
                   json.string())
                .status,
            0);
  for (int c = 1; c <= 3; ++c) EXPECT_TRUE(fs::exists(Path("pic-" + std::to_string(c) + ".png"))) << c;
  EXPECT_FALSE(fs::exists(Path("pic.png")));
  const std::string report = Read(json);
  std::size_t start = 0;
  int cycles = 0;
  const std::string marker = "{\"siteCount\":";
  while ((start = report.find(marker, start)) != std::string::npos) {
    const std::size_t end = report.find(marker, start + 1);
    EXPECT_NEAR(SumOfAreas(report.substr(start, end - start)), 1024.0 * 768.0, 1e-3) << "cycle " << cycles + 1;
    ++cycles;
    start += marker.size();
  }
  EXPECT_EQ(cycles, 3);
  EXPECT_NE(report.find("\"colour\":["), std::string::npos);
  EXPECT_NE(report.find("\"scaleBar\":["), std::string::npos);
}

TEST_F(RenderCli, ThePictureHoldsOnlyBlackAndTheCyclesColour) {
  const fs::path png = Path("one.png");
  const fs::path json = Path("one.json");
  ASSERT_EQ(Render("--seed 7 --size 800x600 --out " + png.string() + " --json " + json.string()).status, 0);
  const std::string report = Read(json);
  const std::size_t at = report.find("\"colour\":[");
  ASSERT_NE(at, std::string::npos);
  int r = 0, g = 0, b = 0;
  ASSERT_EQ(std::sscanf(report.c_str() + at, "\"colour\":[%d,%d,%d]", &r, &g, &b), 3);
  const double pen[3] = {double(r), double(g), double(b)};
  int w = 0, h = 0, channels = 0;
  unsigned char* pixels = stbi_load(png.string().c_str(), &w, &h, &channels, 3);
  ASSERT_NE(pixels, nullptr);
  ASSERT_EQ(w, 800);
  ASSERT_EQ(h, 600);
  int lit = 0, full = 0;
  for (int p = 0; p < w * h; ++p) {
    const unsigned char* px = pixels + 3 * p;
    if (px[0] == 0 && px[1] == 0 && px[2] == 0) continue;
    ++lit;
    // Anti-aliased text blends the pen colour over black: one coverage for all channels.
    const double coverage = px[1] / pen[1];
    for (int ch = 0; ch < 3; ++ch) ASSERT_NEAR(px[ch], pen[ch] * coverage, 1.5) << "pixel " << p % w << "," << p / w;
    if (px[0] == pen[0] && px[1] == pen[1] && px[2] == pen[2]) ++full;
  }
  stbi_image_free(pixels);
  EXPECT_GT(full, 2000) << "edges, circles and the scale bar in the pen colour";
  EXPECT_LT(lit, w * h / 10);
}

// Each kind of thing an output can name: a regular file is replaced (through
// a link, the file it names), anything else is written in place and stays
// what it was; no temporary is left beside any of them.
TEST_F(RenderCli, EachKindOfOutputTargetGetsTheReportAndKeepsItsKind) {
  const std::string run = "--seed 5 --size 320x240 --json ";
  ASSERT_EQ(Render(run + Path("expected.json").string()).status, 0);
  const std::string expected = Read(Path("expected.json"));
  std::ofstream(Path("old.json")) << "old";
  std::ofstream(Path("real.json")) << "old";
  fs::create_symlink("real.json", Path("link.json"));
  fs::create_directory(Path("sub"));
  fs::create_symlink("sub/made.json", Path("dangling.json"));
  fs::create_symlink("/proc/self/fd/1", Path("stdout"));  // /dev/stdout, without risking the system's
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  using enum fs::file_type;
  const std::tuple<std::string, std::string, fs::file_type> cases[] = {
      // the name given, where the report is read back, what the name must still be
      {Path("new.json"), Path("new.json"), regular},       {Path("old.json"), Path("old.json"), regular},
      {Path("link.json"), Path("real.json"), symlink},     {Path("dangling.json"), Path("sub/made.json"), symlink},
      {Path("fifo"), Path("from-fifo"), fifo},             {MemoryDevice("null", 3), "", character},
      {Path("stdout"), Path("stdout.json"), symlink},      {"-", Path("stdout.json"), none},
  };
  for (const auto& [target, holder, kind] : cases) {
    std::thread reader;
    if (kind == fifo) reader = std::thread([&] { std::ofstream(holder) << Read(target); });
    const RunResult result = Render(run + target);
    if (kind == fifo && result.status != 0) ::close(::open(target.c_str(), O_WRONLY | O_NONBLOCK));  // frees it
    if (reader.joinable()) reader.join();
    EXPECT_EQ(result.status, 0) << target << ": " << result.err;
    if (holder == Path("stdout.json").string()) std::ofstream(holder) << result.out;
    EXPECT_TRUE(holder.empty() || Read(holder) == expected) << target;
    EXPECT_EQ(target == "-" ? none : fs::symlink_status(target).type(), kind) << target;
  }
  // Standard output that is a pipe, reached by name (a link to pipe:[...]).
  const std::string piped = Path("piped.json").string();
  ASSERT_EQ(std::system((PELMIC_RENDER_PATH " " + run + Path("stdout").string() + " | cat >" + piped).c_str()), 0);
  EXPECT_TRUE(Read(piped) == expected);
  for (const std::string& name : Listing()) EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
}

// How a caller may start a program: standard output closed, a signal ignored.
struct Caller {
  bool closedOut = false;
  int ignored = 0;
  const char* tmpdir = nullptr;     // $TMPDIR
  const char* appendOut = nullptr;  // standard output appended to this file (>>)
};

// Runs `argv` in `folder` as `user` (when the tests run as root) with standard
// error in `err`, calling `whileRunning` with its pid; its exit status.
int RunAs(uid_t user, gid_t group, const fs::path& folder, const std::vector<std::string>& args, int errFd,
          const Caller& caller, const std::function<void(pid_t)>& whileRunning) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(errFd, 2), ::close_range(3, ~0U, 0);  // only what the row gives it
    if (caller.closedOut) ::close(1);
    if (caller.ignored != 0) ::signal(caller.ignored, SIG_IGN);
    if (caller.tmpdir) ::setenv("TMPDIR", caller.tmpdir, 1);
    if (caller.appendOut) ::dup2(::open((folder / caller.appendOut).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC), 1);
    if (::getuid() != user && (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0)) _exit(126);
    if (::chdir(folder.c_str()) != 0) _exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  whileRunning(pid);
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// The files `pid` holds open from descriptor 3 on, each as its path and stat.
std::vector<std::pair<fs::path, struct stat>> OpenFiles(pid_t pid) {
  std::vector<std::pair<fs::path, struct stat>> files;
  std::error_code error;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    struct stat info {};
    if (std::stoi(fd.path().filename()) > 2 && ::stat(fd.path().c_str(), &info) == 0) {
      files.emplace_back(fs::read_symlink(fd.path(), error), info);
    }
  }
  return files;
}

// An inode's flags (chattr), set to `set` first where given.
int Flags(const fs::path& path, int set = -1) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  int flags = 0;
  if (set >= 0) ::ioctl(fd, FS_IOC_SETFLAGS, &set);
  ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
  ::close(fd);
  return flags;
}

// What a folder holds, as `>` would show a difference: names, kinds, owners,
// modes, link counts, contents, link targets, flags and extended attributes
// (ACLs); inode numbers aside.
std::string Snapshot(const fs::path& folder) {
  std::ostringstream text;
  std::vector<fs::path> entries(fs::recursive_directory_iterator(folder), {});
  std::sort(entries.begin(), entries.end());
  for (const fs::path& entry : entries) {
    struct stat info {};
    ::lstat(entry.c_str(), &info);
    std::stringstream content;
    if (S_ISREG(info.st_mode)) content << std::ifstream(entry).rdbuf();  // its size tells old from new
    text << entry.lexically_relative(folder).string() << " " << std::oct << info.st_mode << std::dec << " " << info.st_uid
         << ":" << info.st_gid << " " << info.st_nlink << " "
         << (S_ISLNK(info.st_mode) ? fs::read_symlink(entry).string() : std::to_string(content.str().size())) << " "
         << (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode) ? Flags(entry) : 0);
    char names[256] = {}, value[256];
    for (char* name = names; name < names + std::max(::llistxattr(entry.c_str(), names, sizeof names), 0L); name += std::strlen(name) + 1) {
      text << " " << name << "=" << std::string(value, std::max(::lgetxattr(entry.c_str(), name, value, sizeof value), 0L));
    }
    text << "\n";
  }
  return text.str();
}

// The shell's `>` is the reference for every kind of target. Run as the user
// of the row (`nobody` where the tests run as root; root for another owner's
// file, as under sudo), pelmic-render must succeed or fail as `>` does, for
// its reason, and leave the folder as `>` leaves it. Links are followed by the
// kernel alone: a link to a writable file in a folder the user cannot write
// is written, and that file keeps its inode. A row with `during` has both
// wait at the FIFO mine/wait once they hold their target open (pelmic-render
// writes its picture there), for `during` to act and report. A row with its
// own `shell` line states in it what `>` cannot show: nothing written to a
// closed standard output; the complete output kept where a full disk refuses
// it; the place named where no temporary can be made or written.
TEST_F(RenderCli, EachTargetIsWrittenAsTheShellsRedirectionWouldWriteIt) {
  const bool root = ::geteuid() == 0;
  const uid_t user = root ? 65534 : ::geteuid();
  const gid_t group = root ? 65534 : ::getegid();
  ASSERT_EQ(Render("--seed 5 --size 64x48 --json " + Path("expected.json").string()).status, 0);
  fs::copy_file(PELMIC_RENDER_PATH, Path("pelmic-render"));  // reachable by the user wherever the build is
  auto file = [&](const fs::path& path, mode_t mode, gid_t owner) {
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), mode);
    if (root) {
      ASSERT_EQ(::chown(path.c_str(), user, owner), 0);
    }
  };
  const std::size_t pages = (Read(Path("expected.json")).size() + 4095) / 4096;
  auto fillUpTo = [](const fs::path& folder, std::size_t freePages) {  // leaves that much room, the last blocks one by one
    const int fd = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
    struct statvfs room {};
    while (::statvfs(folder.c_str(), &room) == 0 && room.f_bavail > freePages) {
      const long blocks = std::max(1L, static_cast<long>(room.f_bavail - freePages) - 4);  // file system blocks too
      if (::posix_fallocate(fd, ::lseek(fd, 0, SEEK_END), blocks * static_cast<long>(room.f_frsize)) != 0) break;
    }
    ::close(fd);
  };
  auto defaultAcl = [](const fs::path& folder) {  // setfacl -d -m u::rwx,u:root:rwx,g::rwx,m::rwx,o::rx
    const std::uint32_t acl[] = {2, 0x70001, ~0u, 0x70002, 0, 0x70004, ~0u, 0x70010, ~0u, 0x50020, ~0u};
    ASSERT_EQ(::setxattr(folder.c_str(), "system.posix_acl_default", acl, sizeof acl, 0), 0);
  };
  const std::string longName = "mine/" + std::string(250, 'l') + ".json", longKept = "mine/" + std::string(237, 'l') + ".pelmic-render";
  const std::string longShell = "cat \"$0\" >" + longKept + "; echo \": No space left on device; its complete output is kept in " +
                                longKept + "; " + longName + " is unchanged\" >&2; exit 1";
  constexpr int kSetUpByRoot = 2;  // runs as the user, in a set-up only root can make
  auto holdsPrivate = [](const fs::path&, pid_t pid) {  // what others could read of the run's files
    std::string readable;
    for (const auto& [path, info] : OpenFiles(pid)) readable += S_ISREG(info.st_mode) && (info.st_mode & 077) ? "readable " : "";
    return readable;
  };
  const struct {
    const char* target;
    int asRoot;  // runs as root (another owner's file, as under sudo), or kSetUpByRoot
    std::function<void(const fs::path&)> make;  // in the folder the run writes in
    const char* keepsInode;
    std::function<std::string(const fs::path&, pid_t)> during = nullptr;
    Caller caller = {};
    const char* shell = "cat \"$0\" >\"$1\"";
    std::vector<std::string> renderExtra = {};
  } rows[] = {
      {"mine/new.json", false, [](const fs::path&) {}, nullptr},
      {"mine/own.json", false, [&](const fs::path& f) { file(f / "mine/own.json", 0640, group); }, nullptr},
      {"mine/read-only.json", false, [&](const fs::path& f) { file(f / "mine/read-only.json", 0444, group); }, nullptr},
      {"mine/root-group.json", false, [&](const fs::path& f) { file(f / "mine/root-group.json", 0664, 0); }, nullptr},
      {"theirs/new.json", false, [](const fs::path&) {}, nullptr},
      {"theirs/mine.json", false, [&](const fs::path& f) { file(f / "theirs/mine.json", 0644, group); }, nullptr},
      {"mine/link.json", false, [&](const fs::path& f) {
         file(f / "theirs/mine.json", 0644, group);
         fs::create_symlink("../theirs/mine.json", f / "mine/link.json");
       }, "theirs/mine.json"},
      {"mine/dangling.json", false, [](const fs::path& f) { fs::create_symlink("made.json", f / "mine/dangling.json"); },
       nullptr},
      {"mine/a.json", false, [&](const fs::path& f) {
         file(f / "mine/a.json", 0644, group);
         fs::create_hard_link(f / "mine/a.json", f / "mine/b.json");
       }, "mine/a.json"},
      {"mine/users.json", true, [&](const fs::path& f) { file(f / "mine/users.json", 0640, group); }, nullptr},
      {"mine/socket", false, [&](const fs::path& f) {
         sockaddr_un address{AF_UNIX, {}};
         std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (f / "mine/socket").c_str());
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
         ::close(fd);
         if (root) {
           ASSERT_EQ(::chown(address.sun_path, user, group), 0);
         }
       }, nullptr},
      // A two-link target made a link to another file while the run works.
      {"mine/t.json", false, [&](const fs::path& f) {
         file(f / "mine/t.json", 0644, group), file(f / "mine/other.json", 0644, group);
         fs::create_hard_link(f / "mine/t.json", f / "mine/t2.json");
       }, nullptr, [](const fs::path& f, pid_t) {
         fs::remove(f / "mine/t.json"), fs::create_symlink("other.json", f / "mine/t.json");
         return std::string();
       }},
      {"theirs/secret.json", false, [&](const fs::path& f) { file(f / "theirs/secret.json", 0600, group); }, nullptr,
       holdsPrivate},
      {"mine/a.json", false, [](const fs::path&) {}, nullptr, nullptr, {.closedOut = true}, "cat \"$0\"", {"--out", "-"}},
      {"mine/bound.json", true, [](const fs::path& f) {  // a mount of its own, as in containers
         std::ofstream(f / "mine/bound.json"), std::ofstream(f / "mine/source.json") << "old";
         ::mount((f / "mine/source.json").c_str(), (f / "mine/bound.json").c_str(), nullptr, MS_BIND, nullptr);
       }, nullptr},
      {"mine/t.json", true, [&](const fs::path& f) {  // two links: copied into, on a full disk
         ::mount("tmpfs", (f / "mine").c_str(), "tmpfs", 0, "size=1m");
         std::ofstream(f / "mine/t.json") << "old", fs::create_hard_link(f / "mine/t.json", f / "mine/t2.json");
         fillUpTo(f / "mine", pages);
       }, nullptr, nullptr, {}, "cat \"$0\" >\"$1.pelmic-render\"; echo \": No space left on device; its complete output "
       "is kept in mine/t.json.pelmic-render; mine/t.json is unchanged\" >&2; exit 1"},
      {"mine/hup.json", false, [&](const fs::path& f) { file(f / "mine/hup.json", 0644, group); }, nullptr,
       [](const fs::path&, pid_t pid) {
         ::kill(pid, SIGHUP);  // ignored by the caller, as under nohup
         return std::string();
       }, {.ignored = SIGHUP}},
      {"drop/new.json", false, [](const fs::path& f) { fs::create_directory(f / "drop"), ::chmod((f / "drop").c_str(), 01333); }, nullptr},
      {"mine/own.json", kSetUpByRoot, [&](const fs::path& f) {  // in an append-only folder
         file(f / "mine/own.json", 0644, group), Flags(f / "mine", Flags(f / "mine") | FS_APPEND_FL);
       }, nullptr},
      {"mine/flags.json", false, [&](const fs::path& f) {  // chattr +dA
         file(f / "mine/flags.json", 0644, group);
         ASSERT_TRUE(Flags(f / "mine/flags.json", Flags(f / "mine/flags.json") | FS_NODUMP_FL | FS_NOATIME_FL) & FS_NODUMP_FL);
       }, nullptr},
      {"mine/own.json", false, [&](const fs::path& f) { file(f / "mine/own.json", 0644, group), defaultAcl(f / "mine"); }, nullptr},
      {"mine/new.json", false, [&](const fs::path& f) { defaultAcl(f / "mine"); }, nullptr},
      {longName.c_str(), kSetUpByRoot, [&](const fs::path& f) {  // no room, nor for a longer name beside it
         ::mount("tmpfs", (f / "mine").c_str(), "tmpfs", 0, "size=1m"), file(f / longName, 0644, group), fillUpTo(f / "mine", pages);
       }, nullptr, nullptr, {}, longShell.c_str()},
      {"mine/log.json", false, [&](const fs::path& f) { file(f / "mine/log.json", 0644, group); }, nullptr, nullptr,
       {.appendOut = "mine/log.json"}},
      {"theirs/mine.json", false, [&](const fs::path& f) { file(f / "theirs/mine.json", 0644, group); }, nullptr, nullptr,
       {.tmpdir = "/nonexistent"}, "echo \": no temporary can be made beside it (Permission denied) nor in /nonexistent (No "
       "such file or directory)\" >&2; exit 1"},
      {"theirs/mine.json", kSetUpByRoot, [&](const fs::path& f) {  // $TMPDIR full, the target's disk not
         file(f / "theirs/mine.json", 0644, group), fs::create_directory(f / "tmp");
         ::mount("tmpfs", (f / "tmp").c_str(), "tmpfs", 0, "size=1m"), fillUpTo(f / "tmp", 0);
       }, nullptr, nullptr, {.tmpdir = "tmp"}, "echo \": its temporary in tmp cannot be written (No space left on device)\" >&2; exit 1"},
      {"mine/t.json", kSetUpByRoot, [&](const fs::path& f) {  // two links, empty, on a full disk that cannot reserve room
         const std::string image = f / "ext2";
         ASSERT_EQ(std::system(("truncate -s 4m " + image + " && mkfs.ext2 -q -b 4096 -m 0 " + image + " && mount -o loop " + image +
                                " " + (f / "mine").string()).c_str()), 0);
         std::ofstream(f / "mine/t.json"), fs::create_hard_link(f / "mine/t.json", f / "mine/t2.json");
         ASSERT_EQ(::chown((f / "mine").c_str(), user, group) | ::chown((f / "mine/t.json").c_str(), user, group), 0);
         fillUpTo(f / "mine", pages);
       }, nullptr, nullptr, {}, "cat \"$0\" >\"$1.pelmic-render\"; echo \": No space left on device; its complete output is kept "
       "in mine/t.json.pelmic-render; mine/t.json is unchanged\" >&2; exit 1"},
  };
  for (const auto& row : rows) {
    if (row.asRoot && !root) {
      std::printf("skipped %s: needs root (another owner's file, a mount, an inode flag)\n", row.target);
      continue;
    }
    std::string snapshot[2], err[2], seen[2];
    int status[2];
    ino_t inode[2] = {};
    for (int run = 0; run < 2; ++run) {  // the shell, then pelmic-render
      const fs::path folder = Path(run == 0 ? "shell" : "render");
      fs::remove_all(folder);
      for (const char* sub : {"mine", "theirs"}) fs::create_directories(folder / sub);
      if (root) {
        ASSERT_EQ(::chown((folder / "mine").c_str(), user, group), 0);
      }
      row.make(folder);
      ::chmod((folder / "theirs").c_str(), 0555);
      struct stat before {};
      if (row.keepsInode) ::stat((folder / row.keepsInode).c_str(), &before);
      const int errFd = ::open(Path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      std::vector<std::string> shell{"/bin/sh", "-c", row.shell, Path("expected.json"), row.target};
      std::vector<std::string> render{Path("pelmic-render"), "--seed", "5", "--size", "64x48", "--json", row.target};
      render.insert(render.end(), row.renderExtra.begin(), row.renderExtra.end());
      const fs::path wait = folder / "mine/wait";
      if (row.during) {
        shell[2] = "exec 3>\"$1\"; : >mine/wait; cat \"$0\" >&3";
        render.insert(render.end(), {"--out", "mine/wait"});
        ASSERT_EQ(::mkfifo(wait.c_str(), 0666), 0);
        ASSERT_EQ(::chown(wait.c_str(), user, group), 0);
      }
      const fs::path held = row.during ? fs::canonical(folder / row.target) : fs::path();
      int reader = -1;  // lets it go on; the picture fits in the FIFO's buffer
      auto whileRunning = [&](pid_t pid) {
        if (!row.during) return;
        auto holds = [&] { return std::ranges::any_of(OpenFiles(pid), [&](const auto& f) { return f.first == held; }); };
        for (int ms = 0; !holds() && ms < 20000; ms += 10) ::usleep(10000);
        seen[run] = row.during(folder, pid);
        reader = ::open(wait.c_str(), O_RDONLY | O_NONBLOCK);
      };
      status[run] = RunAs(row.asRoot == 1 ? 0 : user, row.asRoot == 1 ? 0 : group, folder, run == 0 ? shell : render, errFd,
                          row.caller, whileRunning);
      if (reader >= 0) ::close(reader);
      ::close(errFd);
      err[run] = Read(Path("err"));
      struct stat after {};
      if (row.keepsInode) ::stat((folder / row.keepsInode).c_str(), &after);
      inode[run] = before.st_ino == after.st_ino;
      ::chmod((folder / "drop").c_str(), 0755);  // readable, by a user who is not root too
      snapshot[run] = Snapshot(folder);
      for (const char* mount : {"mine/bound.json", "mine", "tmp"}) ::umount2((folder / mount).c_str(), MNT_DETACH);
      Flags(folder / "mine", Flags(folder / "mine") & ~FS_APPEND_FL);
      ::chmod((folder / "theirs").c_str(), 0755);  // removable again, by a user who is not root too
    }
    EXPECT_EQ(status[1] == 0, status[0] == 0) << row.target << ": " << status[1] << " " << err[1];
    if (status[0] != 0) {
      EXPECT_NE(err[1].find(err[0].substr(err[0].rfind(": "))), std::string::npos) << err[0] << err[1];
    }
    EXPECT_EQ(snapshot[1], snapshot[0]) << row.target;
    EXPECT_EQ(seen[1], seen[0]) << row.target;
    EXPECT_TRUE(inode[1]) << row.target;
  }
}

// A run that fails at any output, or is stopped by Ctrl-C or a kill, replaces
// nothing and leaves no new file and no temporary; a failure says why, every
// byte printable, and a stop ends the run by that very signal.
TEST_F(RenderCli, AFailedOrStoppedRunLeavesEveryTargetAsItWas) {
  fs::create_directories(Path("pic-3.png"));
  std::ofstream(Path("report.json")) << "old";
  const std::string pics = " --cycles 3 --size 320x240 --out " + Path("pic.png").string();
  const std::pair<std::string, std::string> cases[] = {
      {pics + " --json " + Path("report.json").string(), "pic-3.png: is a directory"},
      {pics + " --json -", "pic-3.png: is a directory"},  // refused before a cycle writes to the stream
      {" --out " + Path("p.png").string() + " --json " + MemoryDevice("full", 7), "full: cannot be written: No space"},
      {" --out " + Path("pic.png").string() + " --json " + Path("no/folder.json").string(), "folder.json: cannot"},
      {" --json '" + Path("\x1B[2J\xC2\x9B\\x1B/r.json").string() + "'", "/\\x1B[2J\\xC2\\x9B\\\\x1B/r.json: cannot"},
  };
  const std::vector<std::string> before = Listing();
  for (const auto& [args, phrase] : cases) {
    const RunResult run = Render("--seed 2" + args);
    EXPECT_EQ(run.status, 1) << args;
    EXPECT_NE(run.err.find(phrase), std::string::npos) << args << "\nstderr: " << run.err;
    EXPECT_TRUE(PrintableOnly(run.err)) << run.err;
    EXPECT_EQ(Listing(), before) << args;
    EXPECT_EQ(run.out, "") << args;
  }
  // Signals sent together: the handler of the second runs before the first is
  // acted on. One picture of 8192x8192 is stopped while it is drawn or encoded.
  // A name the run did not make stays, though it looks like a temporary.
  const struct {
    std::vector<int> signals;
    const char* size;
    const char* cycles;
  } stops[] = {{{SIGINT}, "320x240", "10000"},
               {{SIGTERM}, "320x240", "10000"},
               {{SIGINT, SIGTERM}, "320x240", "10000"},
               {{SIGINT}, "8192x8192", "1"}};
  for (const auto& [signals, size, cycles] : stops) {
    const std::string out = Path("p.png"), json = Path("report.json");
    const pid_t pid = Start({"--seed", "1", "--size", size, "--cycles", cycles, "--out", out, "--json", json}, -1, dir_);
    const std::string planted = Path(".pelmic-render-" + std::to_string(pid) + "-0.partial");
    // Stopped once it holds temporaries (unnamed: "(deleted)") for the report and pictures.
    auto temporaries = [pid] {
      std::error_code error;
      std::size_t count = 0;
      for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        count += fs::read_symlink(fd, error).string().ends_with("(deleted)");
      }
      return count;
    };
    const std::size_t waiting = std::min<std::size_t>(3, std::strtoul(cycles, nullptr, 10) + 1);
    for (int ms = 0; temporaries() < waiting && ms < 20000; ms += 10) ::usleep(10000);
    for (const int signal : signals) ::kill(pid, signal);
    const auto sent = std::chrono::steady_clock::now();
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(2)) << size;  // encoding alone: 4 s
    EXPECT_TRUE(WIFSIGNALED(raw) && std::count(signals.begin(), signals.end(), WTERMSIG(raw))) << "status " << raw;
    EXPECT_TRUE(fs::remove(planted)) << signals.size() << " signals, " << size;
    EXPECT_EQ(Listing(), before) << signals.size() << " signals, " << size;
  }
  EXPECT_EQ(Read(Path("report.json")), "old");
  // Stopped (frozen first, to see where) while the pictures are written at
  // the end: the one being written is finished, no other is begun.
  const int errFd = ::open(Path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const pid_t pid = Start({"--seed", "1", "--size", "64x48", "--cycles", "300", "--out", Path("q.png")}, errFd);
  for (int ms = 0; !fs::exists(Path("q-1.png")) && ms < 60000; ++ms) ::usleep(1000);
  int raw = 0;
  ::kill(pid, SIGSTOP), ::waitpid(pid, &raw, WUNTRACED);
  const std::vector<std::string> frozen = Listing();
  ::kill(pid, SIGTERM), ::kill(pid, SIGCONT), ::waitpid(pid, &raw, 0), ::close(errFd);
  EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGTERM) << "status " << raw;
  EXPECT_EQ(Listing(), frozen);
  EXPECT_NE(Read(Path("err")).find("left unchanged: "), std::string::npos) << Read(Path("err"));
}

// Past the checks Open makes, putting one in place can still fail: the others
// are put in place, and the message says where the complete output is kept.
TEST_F(RenderCli, APutInPlaceThatFailsKeepsTheOutputAndSaysWhatChanged) {
  std::string message;
  {
    pelmic::render::OutputSet outputs;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) outputs.Open("--out", Path(name)).Write(name);
    EXPECT_FALSE(fs::exists(Path("a.txt"))) << "nothing is replaced before Commit";
    fs::create_directories(Path("b.txt/inside"));
    try {
      outputs.Commit();
    } catch (const std::runtime_error& error) {
      message = error.what();
    }
  }
  const std::string kept = Path("b.txt.pelmic-render");
  EXPECT_NE(message.find("b.txt: cannot be replaced: File exists; its complete output is kept in " + kept +
                         "; " + Path("b.txt").string() + " is unchanged\nwritten: " + Path("a.txt").string() +
                         ", " + Path("c.txt").string()),
            std::string::npos)
      << message;
  EXPECT_EQ(Read(Path("a.txt")) + Read(kept) + Read(Path("c.txt")), "a.txtb.txtc.txt");
  EXPECT_EQ(Listing(), (std::vector<std::string>{Path("a.txt"), Path("b.txt"), kept, Path("b.txt/inside"), Path("c.txt")}));
}

// The report is written as it goes and no pixels are kept without --out, so
// peak memory depends neither on the number of cycles nor on the screen size.
TEST_F(RenderCli, MemoryStaysFlatOverCyclesAndScreenSizes) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's quarantine keeps freed memory: peak memory measures it, not the renderer";
#endif
  const std::string json = Path("r.json");
  const auto [status, base] = RunMeasured({"--seed", "1", "--cycles", "10", "--json", json});
  ASSERT_EQ(status, 0);
  // Generous: holding the report of 600 cycles costs 30 MiB, the pixels 1 GiB.
  for (const auto& [args, moreKiB] : {std::pair{std::vector<std::string>{"--cycles", "600"}, 8 * 1024L},
                                      std::pair{std::vector<std::string>{"--size", "16384x16384"}, 32 * 1024L}}) {
    const auto [runStatus, peak] = RunMeasured({"--seed", "1", args[0], args[1], "--json", json});
    EXPECT_EQ(runStatus, 0) << args[1];
    EXPECT_LT(peak, base + moreKiB) << args[1] << ": " << peak << " KiB at peak, " << base << " for 10 cycles";
  }
}

// On a terminal, the count of cycles done updates one line in place; in a
// file (as in every other test here) nothing extra is written.
TEST_F(RenderCli, ProgressShowsOnATerminalOnly) {
  int terminal = -1, side = -1;
  ASSERT_EQ(::openpty(&terminal, &side, nullptr, nullptr, nullptr), 0);
  const std::vector<std::string> args{"--seed", "1", "--size", "320x240", "--cycles", "3", "--json", Path("r.json")};
  EXPECT_EQ(RunMeasured(args, side).first, 0);
  ::close(side);
  std::string shown;  // the terminal holds what was shown; read ends with an error once it is all read
  char buffer[256];
  for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(n));
  ::close(terminal);
  EXPECT_NE(shown.find("\rpelmic-render: 3 of 3 cycles\r\n"), std::string::npos) << shown;
  EXPECT_EQ(shown.find('\n'), shown.size() - 1) << "one line, updated in place: " << shown;
  EXPECT_EQ(Render("--seed 1 --size 320x240 --cycles 3 --json " + Path("r.json").string()).err, "");
}

}  // namespace
