// SPDX-License-Identifier: MIT
// The SDL saver window on a private Xvfb display (tests/harness/harness.py starts one).
// Each window and framebuffer creation step fails in turn, as SDL does when
// the display refuses: the failure is reported and nothing is left. And the
// canvas, which draws straight into a framebuffer of its own layout, follows
// the daemon's window through changes of size without ever drawing into a
// framebuffer SDL has freed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "canvas/raster_canvas.h"
#include "platform/linux/creation_steps.h"
#include "platform/linux/embedded/embedded_window.h"
#include "platform/linux/handle_owners.h"
#include "platform/linux/x11/sdl_saver_window.h"

// Last: Xlib's macros (None, Status) would break the headers above.
#include <X11/Xlib.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

namespace pelmic::linux_desktop {
namespace {

// Records what every creation step made, and fails the step numbered
// `failAt` (from 0; -1: none).
struct CreationLog final : CreationWatch {
  explicit CreationLog(int failAtStep = -1) : failAt(failAtStep) { SetCreationWatch(this); }
  ~CreationLog() { SetCreationWatch(nullptr); }

  bool MayCreate(Made) override { return steps++ != failAt; }
  void Created(Made what, void* made) override {
    if (what == Made::Window) windows.push_back(SDL_GetWindowID(static_cast<SDL_Window*>(made)));
    if (what == Made::Framebuffer) framebuffers.push_back(static_cast<SDL_Surface*>(made));
  }

  int failAt;
  int steps = 0;
  std::vector<Uint32> windows;  // ids: a destroyed window's pointer may not be asked
  std::vector<SDL_Surface*> framebuffers;
};

// Shared-memory segments this process made and that still exist: an X
// framebuffer's pixels.
int SharedSegmentsOfOurs() {
  std::ifstream table("/proc/sysvipc/shm");
  std::string line;
  std::getline(table, line);  // the column names
  int count = 0;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    long key = 0, id = 0, perms = 0, size = 0, creator = 0;
    fields >> key >> id >> perms >> size >> creator;
    if (creator == getpid()) ++count;
  }
  return count;
}

class SaverWindowOnX : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    video_ = new VideoSubsystem;
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
  }
  static void TearDownTestSuite() {
    XCloseDisplay(display_);
    delete video_;
  }

  // The top-level windows on the server, asked on a connection of our own.
  static std::vector<Window> TopLevelWindows() {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
    std::vector<Window> windows(children, children + count);
    if (children != nullptr) XFree(children);
    std::sort(windows.begin(), windows.end());
    return windows;
  }

  // The top-level windows once they are `expected`, or after two seconds:
  // SDL's requests reach the server on a connection of its own, so a window
  // SDL has destroyed may still show for a moment.
  static std::vector<Window> TopLevelWindowsOnceThey(const std::vector<Window>& expected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::vector<Window> windows = TopLevelWindows();
    while (windows != expected && std::chrono::steady_clock::now() < deadline) {
      usleep(1000);
      windows = TopLevelWindows();
    }
    return windows;
  }

  // A window of another client, mapped and black, as a daemon hands one,
  // and the saver's look-up of it.
  void SetUp() override {
    daemons_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 64, 48, 0, 0,
                                   BlackPixel(display_, DefaultScreen(display_)));
    XMapWindow(display_, daemons_);
    XSync(display_, False);
    std::string error;
    embedded_ = EmbeddedWindow::LookUp({DrawTarget::Kind::ForeignWindow, daemons_}, error);
    ASSERT_TRUE(embedded_) << error;
  }
  void TearDown() override {
    embedded_.reset();
    if (daemons_ != 0) XDestroyWindow(display_, daemons_);
    XSync(display_, False);
  }

  Window daemons_ = 0;
  std::unique_ptr<EmbeddedWindow> embedded_;
  static VideoSubsystem* video_;
  static Display* display_;
};

VideoSubsystem* SaverWindowOnX::video_ = nullptr;
Display* SaverWindowOnX::display_ = nullptr;

struct Family {
  const char* name;
  std::function<std::unique_ptr<SdlSaverWindow>()> make;
  int steps;                    // windows, then the framebuffer
  std::size_t topLevelWindows;  // of its own, on the server
};

TEST_F(SaverWindowOnX, EveryFailedCreationStepIsReportedAndLeavesNothing) {
  const Family families[] = {
      {"own window and two covers",
       [] { return SdlSaverWindow::Cover({0, 0, 64, 48}, {{64, 0, 128, 48}, {-32, 0, 0, 24}}); }, 4, 3},
      {"a daemon's window", [&] { return SdlSaverWindow::Embed(*embedded_); }, 2, 0},
  };
  const std::vector<Window> serverBefore = TopLevelWindows();
  const int segmentsBefore = SharedSegmentsOfOurs();
  const auto expectNothingLeft = [&](const CreationLog& steps, const std::string& when) {
    for (Uint32 id : steps.windows) EXPECT_EQ(SDL_GetWindowFromID(id), nullptr) << when << ": SDL window " << id;
    EXPECT_EQ(TopLevelWindowsOnceThey(serverBefore), serverBefore) << when << ": X windows left, or the daemon's gone";
    EXPECT_EQ(SharedSegmentsOfOurs(), segmentsBefore) << when << ": a framebuffer left";
  };
  for (const Family& family : families) {
    SCOPED_TRACE(family.name);
    {
      CreationLog whole;
      std::unique_ptr<SdlSaverWindow> made = family.make();
      ASSERT_EQ(whole.steps, family.steps);
      // What the checks below look for must show while the window lives.
      EXPECT_EQ(TopLevelWindows().size(), serverBefore.size() + family.topLevelWindows);
      EXPECT_EQ(SharedSegmentsOfOurs(), segmentsBefore + 1);
      for (Uint32 id : whole.windows) EXPECT_NE(SDL_GetWindowFromID(id), nullptr);
      made.reset();
      expectNothingLeft(whole, "after a whole creation");
    }
    for (int failAt = 0; failAt < family.steps; ++failAt) {
      const std::string when = "step " + std::to_string(failAt) + " failed";
      CreationLog steps(failAt);
      try {
        family.make();
        ADD_FAILURE() << when << " and nothing said so";
      } catch (const std::runtime_error& failure) {
        EXPECT_EQ(steps.steps, failAt + 1) << when << ": creation went on after it";
        EXPECT_NE(std::string(failure.what()).find("refused by the creation watch"), std::string::npos)
            << when << ": reported as " << failure.what();
      }
      expectNothingLeft(steps, when);
    }
  }
}

// The daemon destroys its window just as SDL makes the framebuffer: SDL's
// requests then fail about the window, and about the graphics context that
// could not be made on it. The loss explains them all; any error it did not
// would end this program with Xlib's message.
TEST_F(SaverWindowOnX, AWindowLostAsItsFramebufferIsMadeFailsNothingElse) {
  struct LoseItFirst final : CreationWatch {
    explicit LoseItFirst(Window& daemons) : window(daemons) { SetCreationWatch(this); }
    ~LoseItFirst() { SetCreationWatch(nullptr); }
    bool MayCreate(Made what) override {
      if (what == Made::Framebuffer) XDestroyWindow(display_, std::exchange(window, 0));
      if (what == Made::Framebuffer) XSync(display_, False);
      return true;
    }
    void Created(Made what, void* made) override {
      SDL_SysWMinfo info;
      SDL_VERSION(&info.version);
      if (what == Made::Window && SDL_GetWindowWMInfo(static_cast<SDL_Window*>(made), &info)) sdls = info.info.x11.display;
    }
    Window& window;
    Display* sdls = nullptr;  // SDL's connection
  } lose(daemons_);
  std::unique_ptr<SdlSaverWindow> saver = SdlSaverWindow::Embed(*embedded_);
  saver->Present(saver->Surface().TakeDirtyRect());
  saver.reset();
  ASSERT_NE(lose.sdls, nullptr);
  XSync(lose.sdls, False);
  EXPECT_TRUE(embedded_->Lost());
}

// How many pixels of `window` (`width` x `height`) the server shows other
// than the canvas at the top-left corner, cut where the window is smaller and
// black where it is larger.
int WronglyShown(Display* display, Window window, int width, int height, const RasterCanvas& canvas) {
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return width * height;
  int wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t expected = x < canvas.Width() && y < canvas.Height() ? canvas.PixelAt(x, y) : 0;
      wrong += (XGetPixel(image, x, y) & 0xFFFFFF) != expected;
    }
  }
  XDestroyImage(image);
  return wrong;
}

TEST_F(SaverWindowOnX, TheCanvasFollowsTheFramebufferThroughChangesOfSize) {
  CreationLog steps;
  const std::unique_ptr<SdlSaverWindow> saver = SdlSaverWindow::Embed(*embedded_);
  RasterCanvas& canvas = saver->Surface();
  canvas.SetForeColor(Rgb(200, 230, 240));
  struct Input final : shell::SaverInput {
    void Form_KeyDown() override {}
    void Form_Click() override {}
    void Form_MouseMove(float, float) override {}
    void CloseRequested() override {}
  } input;
  ASSERT_EQ(steps.framebuffers.size(), 1u);
  EXPECT_EQ(canvas.Pixels(), steps.framebuffers.back()->pixels) << "the canvas did not move into the framebuffer";
  // The daemon changes its window's size; the canvas keeps the size it began with.
  const struct {
    int width, height;
    bool intoFramebuffer;
  } sizes[] = {{80, 60, false}, {64, 48, true}, {32, 24, false}, {64, 48, true}};
  int row = 0;
  for (const auto& size : sizes) {
    const std::string what = std::to_string(size.width) + "x" + std::to_string(size.height);
    canvas.Line(0, static_cast<float>(row), 63, static_cast<float>(row));  // drawn before the change
    XResizeWindow(display_, daemons_, static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
    XSync(display_, False);
    const std::size_t fetched = steps.framebuffers.size();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (steps.framebuffers.size() == fetched && std::chrono::steady_clock::now() < deadline) {
      saver->PumpEvents(input);  // a turn: the resize is seen, then presented
      saver->Present(canvas.TakeDirtyRect());
    }
    ASSERT_EQ(steps.framebuffers.size(), fetched + 1) << what << ": no new framebuffer";
    EXPECT_EQ(canvas.Pixels() == steps.framebuffers.back()->pixels, size.intoFramebuffer) << what;
    canvas.Line(0, static_cast<float>(row + 2), 63, static_cast<float>(row + 2));  // drawn after it
    saver->Present(saver->Surface().TakeDirtyRect());
    for (int drawn = 0; drawn <= row + 2; drawn += 2) {
      EXPECT_EQ(canvas.PixelAt(63, drawn), 0xC8E6F0u) << what << ": line " << drawn << " lost";
    }
    EXPECT_EQ(WronglyShown(display_, daemons_, size.width, size.height, canvas), 0) << what;
    row += 4;
  }
}

}  // namespace
}  // namespace pelmic::linux_desktop
