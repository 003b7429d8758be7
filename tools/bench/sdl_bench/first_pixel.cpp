// pelmic_first_pixel - start-up and memory of `pelmic /S` on $DISPLAY.
//
//   pelmic_first_pixel PATH_TO_PELMIC [runs]
//
// Per run: the time from starting the program to the first look at the screen
// that finds a pixel in the pen's pale colours (the screen is read with
// XGetImage in a tight loop, a few milliseconds a look), then the resident
// memory two seconds later; SIGTERM ends the program.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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

bool ScreenHasPale(Display* display) {
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
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
    std::fprintf(stderr, "usage: pelmic_first_pixel PATH_TO_PELMIC [runs]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  std::vector<double> firsts;
  for (int run = 1; run <= runs; ++run) {
    const Clock::time_point start = Clock::now();
    const pid_t pid = Start(argv[1]);
    while (!ScreenHasPale(display)) {
      if (waitpid(pid, nullptr, WNOHANG) == pid || Clock::now() - start > std::chrono::seconds(20)) return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::printf("  run %d: first pale pixel after %.0f ms, %.1f MB resident\n", run, ms,
                static_cast<double>(ResidentKib(pid)) / 1024);
    firsts.push_back(ms);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  std::sort(firsts.begin(), firsts.end());
  std::printf("median first pale pixel: %.0f ms\n", firsts[firsts.size() / 2]);
  XCloseDisplay(display);
  return 0;
}
