// pelmic_saver_probe - start-up, memory and exit of `pelmic /S` on $DISPLAY.
//
//   pelmic_saver_probe PATH_TO_PELMIC [runs]
//
// Per run: the time from starting the program to the first look at the screen
// that finds a pixel in the pen's pale colours; the resident memory
// two seconds later; then a key press sent to the saver window on this
// probe's own connection, and the time until the process has ended. Sending
// from here leaves out what starting a program such as xdotool costs.
//
// The first present holds the whole set-up, scale bar included, and the bar
// and its labels lie within the top 220 rows: only that band is read, a few
// milliseconds a look in a tight loop.
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
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

bool Pale(unsigned long pixel) {
  return ((pixel >> 16) & 0xFF) >= 122 && ((pixel >> 8) & 0xFF) >= 222 && (pixel & 0xFF) >= 222;
}

constexpr int kScaleBarBand = 220;

bool ScreenHasPale(Display* display) {
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
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

double MillisecondsToExit(Display* display, pid_t pid) {
  XKeyEvent key{};
  key.type = KeyPress;
  key.display = display;
  key.window = SaverWindow(display);
  key.root = DefaultRootWindow(display);
  key.keycode = XKeysymToKeycode(display, 'a');
  key.same_screen = True;
  const Clock::time_point sent = Clock::now();
  XSendEvent(display, key.window, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
  XFlush(display);
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
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  std::vector<double> firsts, exits;
  for (int run = 1; run <= runs; ++run) {
    const Clock::time_point start = Clock::now();
    const pid_t pid = Start(argv[1]);
    while (!ScreenHasPale(display)) {
      if (waitpid(pid, nullptr, WNOHANG) == pid || Clock::now() - start > std::chrono::seconds(20)) return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double mb = static_cast<double>(ResidentKib(pid)) / 1024;
    const double exitMs = MillisecondsToExit(display, pid);
    std::printf("  run %d: first pale pixel after %.0f ms, %.1f MB resident, ended %.1f ms after a key\n", run, ms,
                mb, exitMs);
    firsts.push_back(ms);
    exits.push_back(exitMs);
  }
  std::printf("median: first pale pixel %.0f ms, key to end %.1f ms\n", Median(firsts), Median(exits));
  XCloseDisplay(display);
  return 0;
}
