// SPDX-License-Identifier: MIT
// pelmic_saver_probe - start-up, memory and exit of `pelmic /S` on $DISPLAY,
// or on the Wayland compositor $WAYLAND_DISPLAY names when that is set.
//
//   pelmic_saver_probe PATH_TO_PELMIC [runs]
//
// Per run: the time from starting the program to the first look at the screen
// that finds a pixel in the pen's pale colours; the resident memory
// two seconds later; then a key press, and the time until the process has
// ended. On X11 the key is sent to the saver window on this probe's own
// connection, which leaves out what starting a program such as xdotool
// costs. On Wayland grim looks and wtype types; wtype's keyboard must exist
// a moment before its key reaches anyone, so wtype waits 300 ms first, and
// the time to the end counts from then.
//
// The first present holds the whole set-up, scale bar included, and the bar
// and its labels lie within the top 220 rows: only that band is read, a few
// milliseconds a look in a tight loop on X11, some 20 ms through grim.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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
  // Sends a key and waits for `pid` to end: the milliseconds that took.
  virtual double MillisecondsToExit(pid_t pid) = 0;
};

class X11Desktop final : public Desktop {
 public:
  explicit X11Desktop(Display* display) : display_(display) {}
  ~X11Desktop() override { XCloseDisplay(display_); }
  bool HasPale() override;
  double MillisecondsToExit(pid_t pid) override;

 private:
  Display* display_;
};

class WaylandDesktop final : public Desktop {
 public:
  bool HasPale() override;
  double MillisecondsToExit(pid_t pid) override;

 private:
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

double WaylandDesktop::MillisecondsToExit(pid_t pid) {
  constexpr double kWtypeWaitMs = 300;
  const Clock::time_point sent = Clock::now();
  if (std::system("wtype -s 300 a") != 0) return -1;
  waitpid(pid, nullptr, 0);
  return std::chrono::duration<double, std::milli>(Clock::now() - sent).count() - kWtypeWaitMs;
}

long ResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
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

double X11Desktop::MillisecondsToExit(pid_t pid) {
  XKeyEvent key{};
  key.type = KeyPress;
  key.display = display_;
  key.window = SaverWindow(display_);
  key.root = DefaultRootWindow(display_);
  key.keycode = XKeysymToKeycode(display_, 'a');
  key.same_screen = True;
  const Clock::time_point sent = Clock::now();
  XSendEvent(display_, key.window, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
  XFlush(display_);
  waitpid(pid, nullptr, 0);
  return std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pelmic_saver_probe PATH_TO_PELMIC [runs]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  std::unique_ptr<Desktop> desktop;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland != nullptr && *wayland != '\0') {
    desktop = std::make_unique<WaylandDesktop>();
  } else if (Display* display = XOpenDisplay(nullptr)) {
    desktop = std::make_unique<X11Desktop>(display);
  } else {
    return 1;
  }
  std::vector<double> firsts, exits;
  for (int run = 1; run <= runs; ++run) {
    const Clock::time_point start = Clock::now();
    const pid_t pid = Start(argv[1]);
    while (!desktop->HasPale()) {
      if (waitpid(pid, nullptr, WNOHANG) == pid || Clock::now() - start > std::chrono::seconds(20)) return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double mb = static_cast<double>(ResidentKib(pid)) / 1024;
    const double exitMs = desktop->MillisecondsToExit(pid);
    std::printf("  run %d: first pale pixel after %.0f ms, %.1f MB resident, ended %.1f ms after a key\n", run, ms,
                mb, exitMs);
    firsts.push_back(ms);
    exits.push_back(exitMs);
  }
  std::printf("median: first pale pixel %.0f ms, key to end %.1f ms\n", Median(firsts), Median(exits));
  return 0;
}
