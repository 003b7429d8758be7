// SPDX-License-Identifier: MIT
// pelmic_saver_probe - start-up, memory and exit of `pelmic /S` on $DISPLAY,
// or on the Wayland compositor $WAYLAND_DISPLAY names when that is set.
//
//   pelmic_saver_probe PATH_TO_PELMIC [runs] [PATH_TO_BASELINE_PELMIC]
//
// Per run: the time from starting the program to the first look at the screen
// that finds a pixel in the pen's pale colours; the memory it holds two
// seconds later (held_memory.h: resident, plus shared frame buffers in full);
// then a key press, and the time until the process has ended, with the part
// of it the saver spent on a CPU (the scheduler's count: its polling until
// the key reaches it, and its exit; the time other programs on a loaded
// machine run meanwhile is left out). The key comes
// from a connection the probe opened before the saver started, so no program
// start is timed: on X11 it is sent to the saver window, on Wayland it is
// typed on a virtual keyboard of the probe's own. Given a baseline, runs
// alternate between the two programs on the same display, baseline first.
//
// The first present holds the whole set-up, scale bar included, and the bar
// and its labels lie within the top 220 rows: only that band is read, a few
// milliseconds a look in a tight loop on X11, some 20 ms through grim.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "held_memory.h"
#include "virtual_keyboard.h"

namespace {

using Clock = std::chrono::steady_clock;

bool Pale(unsigned long pixel) {
  return ((pixel >> 16) & 0xFF) >= 122 && ((pixel >> 8) & 0xFF) >= 222 && (pixel & 0xFF) >= 222;
}

constexpr int kScaleBarBand = 220;

// Where the saver shows: a look at the screen, and a key to end the saver.
class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual bool HasPale() = 0;
  // Sends a key to the saver, at once.
  virtual void SendKey() = 0;
};

class X11Desktop final : public Desktop {
 public:
  explicit X11Desktop(Display* display) : display_(display) {}
  ~X11Desktop() override { XCloseDisplay(display_); }
  bool HasPale() override;
  void SendKey() override;

 private:
  Display* display_;
};

class WaylandDesktop final : public Desktop {
 public:
  explicit WaylandDesktop(std::unique_ptr<pelmic::bench::VirtualKeyboard> keys) : keys_(std::move(keys)) {}
  bool HasPale() override;
  void SendKey() override { keys_->Tap(pelmic::bench::kKeyA); }

 private:
  std::unique_ptr<pelmic::bench::VirtualKeyboard> keys_;
  std::string band_;  // grim's geometry of the top rows, once the screen's width is known
};

bool X11Desktop::HasPale() {
  const Window root = DefaultRootWindow(display_);
  XWindowAttributes attributes;
  XGetWindowAttributes(display_, root, &attributes);
  XImage* image = XGetImage(display_, root, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(std::min(attributes.height, kScaleBarBand)), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  bool found = false;
  for (int y = 0; y < image->height && !found; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image->data + y * image->bytes_per_line);
    found = std::any_of(row, row + image->width, [](std::uint32_t p) { return Pale(p); });
  }
  XDestroyImage(image);
  return found;
}

// A binary PPM from grim: its width, and whether a pixel is pale.
bool GrimHasPale(const std::string& command, int& width) {
  FILE* grim = popen(command.c_str(), "r");
  if (grim == nullptr) return false;
  int height = 0, maxval = 0;
  bool found = false;
  if (std::fscanf(grim, "P6 %d %d %d", &width, &height, &maxval) == 3 && std::fgetc(grim) != EOF) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    const std::size_t read = std::fread(pixels.data(), 1, pixels.size(), grim);
    for (std::size_t i = 0; i + 2 < read && !found; i += 3) {
      found = Pale((static_cast<unsigned long>(pixels[i]) << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
    }
  }
  pclose(grim);
  return found;
}

bool WaylandDesktop::HasPale() {
  int width = 0;
  if (band_.empty()) {
    const bool found = GrimHasPale("grim -t ppm - 2>/dev/null", width);
    if (width > 0) band_ = "0,0 " + std::to_string(width) + "x" + std::to_string(kScaleBarBand);
    return found;
  }
  return GrimHasPale("grim -t ppm -g '" + band_ + "' - 2>/dev/null", width);
}


// The top-level window titled "Pelmic" (0 if none).
Window SaverWindow(Display* display) {
  Window root = 0, parent = 0, found = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
      if (std::string(name) == "Pelmic") found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

void X11Desktop::SendKey() {
  XKeyEvent key{};
  key.type = KeyPress;
  key.display = display_;
  key.window = SaverWindow(display_);
  key.root = DefaultRootWindow(display_);
  key.keycode = XKeysymToKeycode(display_, 'a');
  key.same_screen = True;
  XSendEvent(display_, key.window, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
  XFlush(display_);
}

// Nanoseconds `pid` has run on a CPU, all its threads; a process that has
// ended but is not reaped still tells. The count of a task that is running
// is only brought up to date at the scheduler's next tick.
double CpuNs(pid_t pid) {
  clockid_t clock{};
  timespec t{};
  if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0) return -1;
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

struct ExitTimes {
  double ms, cpuMs;
};

// Sends the key and waits for `pid` to end.
ExitTimes TimeExit(Desktop& desktop, pid_t pid) {
  // Stopped, the saver is off every CPU and its count exact; it resumes just
  // before the key.
  kill(pid, SIGSTOP);
  siginfo_t stopped{};
  waitid(P_PID, static_cast<id_t>(pid), &stopped, WSTOPPED);
  const double cpuBefore = CpuNs(pid);
  kill(pid, SIGCONT);
  const Clock::time_point sent = Clock::now();
  desktop.SendKey();
  siginfo_t ended{};
  waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOWAIT);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
  const double cpuMs = (CpuNs(pid) - cpuBefore) / 1e6;
  waitpid(pid, nullptr, 0);
  return {ms, cpuMs};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

pid_t Start(const char* pelmic) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl(pelmic, pelmic, "/S", static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

std::unique_ptr<Desktop> OpenDesktop() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland != nullptr && *wayland != '\0') {
    // Made before any saver starts: the seat has its keyboard when the saver connects.
    auto keys = pelmic::bench::VirtualKeyboard::Connect();
    if (keys == nullptr) return nullptr;
    return std::make_unique<WaylandDesktop>(std::move(keys));
  }
  if (Display* display = XOpenDisplay(nullptr)) return std::make_unique<X11Desktop>(display);
  return nullptr;
}

// One program's runs.
struct Runs {
  const char* name;
  const char* path;
  std::vector<double> firsts, heldMb, exits, exitCpus;
};

// One run of `runs`'s program; false when it failed to show its picture.
bool Run(Desktop& desktop, Runs& runs, int run) {
  const Clock::time_point start = Clock::now();
  const pid_t pid = Start(runs.path);
  while (!desktop.HasPale()) {
    if (waitpid(pid, nullptr, WNOHANG) == pid || Clock::now() - start > std::chrono::seconds(20)) return false;
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  // Memory and the wake-up are measured as a user meets them: two seconds into
  // the cycle, not at its first pixel. A rule of the benchmark, not a wait for an event.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double mb = static_cast<double>(pelmic::bench::HeldKib(pid)) / 1024;
  const ExitTimes exit = TimeExit(desktop, pid);
  std::printf("  %s run %d: first pale pixel after %.0f ms, %.1f MB held, ended %.1f ms after a key (%.1f ms on a CPU)\n",
              runs.name, run, ms, mb, exit.ms, exit.cpuMs);
  runs.firsts.push_back(ms);
  runs.heldMb.push_back(mb);
  runs.exits.push_back(exit.ms);
  runs.exitCpus.push_back(exit.cpuMs);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pelmic_saver_probe PATH_TO_PELMIC [runs] [PATH_TO_BASELINE_PELMIC]\n");
    return 2;
  }
  const int count = argc > 2 ? std::atoi(argv[2]) : 5;
  std::vector<Runs> programs;
  if (argc > 3) programs.push_back({"old", argv[3], {}, {}, {}, {}});
  programs.push_back({programs.empty() ? "" : "new", argv[1], {}, {}, {}, {}});
  const std::unique_ptr<Desktop> desktop = OpenDesktop();
  if (desktop == nullptr || count < 1) return 1;
  for (int run = 1; run <= count; ++run) {
    for (Runs& runs : programs) {
      if (!Run(*desktop, runs, run)) return 1;
    }
  }
  for (const Runs& runs : programs) {
    std::printf("median%s%s: first pale pixel %.0f ms, %.1f MB held, key to end %.1f ms (%.1f ms on a CPU)\n",
                *runs.name ? " " : "", runs.name, Median(runs.firsts), Median(runs.heldMb), Median(runs.exits),
                Median(runs.exitCpus));
  }
  return 0;
}
