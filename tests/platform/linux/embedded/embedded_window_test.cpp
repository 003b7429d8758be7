// SPDX-License-Identifier: MIT
#include "platform/linux/embedded/embedded_window.h"

#include <gtest/gtest.h>

#include <X11/X.h>  // the error codes

namespace pelmic::linux_desktop {
namespace {

constexpr X11WindowId kWindow = 0x400003;
// The id range the server gave the program's connection; its resources, such
// as SDL's graphics context for the framebuffer, have ids in it.
constexpr X11IdRange kOurRange{0x600000, 0x1fffff};
constexpr X11WindowId kOurs = 0x600010;

TEST(LossWatch, SwallowsOnlyWhatTheLossExplains) {
  const struct {
    const char* what;
    bool lostBefore;
    int errorCode;
    X11WindowId resource;
    bool swallowed;
    bool lostAfter;
  } cases[] = {
      {"the window gone, heard first from an error", false, BadWindow, kWindow, true, true},
      {"the window gone, heard first from drawing", false, BadDrawable, kWindow, true, true},
      {"another window gone", false, BadWindow, 0x400004, false, false},
      {"an error about a resource of ours while the window lives", false, BadGC, kOurs, false, false},
      {"another error about the window, once lost", true, BadMatch, kWindow, true, true},
      {"a resource of ours, once lost", true, BadGC, kOurs, true, true},
      {"the last id of our range, once lost", true, BadGC, 0x7fffff, true, true},
      {"the first id past our range, once lost", true, BadGC, 0x800000, false, true},
      {"someone else's window, once lost", true, BadWindow, 0x200001, false, true},
  };
  for (const auto& c : cases) {
    LossWatch watch(kWindow);
    if (c.lostBefore) watch.MarkLost();
    EXPECT_EQ(watch.Explains(ReadX11Error(c.errorCode, c.resource, kOurRange)), c.swallowed) << c.what;
    EXPECT_EQ(watch.Lost(), c.lostAfter) << c.what;
  }
}

}  // namespace
}  // namespace pelmic::linux_desktop
