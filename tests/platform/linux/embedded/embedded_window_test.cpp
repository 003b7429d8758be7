// SPDX-License-Identifier: MIT
#include "platform/linux/embedded/embedded_window.h"

#include <gtest/gtest.h>

namespace pelmic::linux_desktop {
namespace {

constexpr X11WindowId kWindow = 0x400003;
// In the id range the server gave the program's connection: SDL's graphics
// context for the framebuffer, say.
constexpr X11WindowId kOurs = 0x600010;

TEST(LossWatch, SwallowsOnlyWhatTheLossExplains) {
  const struct {
    const char* what;
    bool lostBefore;
    X11Error error;
    bool swallowed;
    bool lostAfter;
  } cases[] = {
      {"the window gone, heard first from an error", false, {true, false, kWindow}, true, true},
      {"another window gone", false, {true, false, 0x400004}, false, false},
      {"an error about a resource of ours while the window lives", false, {false, true, kOurs}, false, false},
      {"another error about the window, once lost", true, {false, false, kWindow}, true, true},
      {"a resource of ours, once lost", true, {false, true, kOurs}, true, true},
      {"someone else's window, once lost", true, {true, false, 0x200001}, false, true},
  };
  for (const auto& c : cases) {
    LossWatch watch(kWindow);
    if (c.lostBefore) watch.MarkLost();
    EXPECT_EQ(watch.Explains(c.error), c.swallowed) << c.what;
    EXPECT_EQ(watch.Lost(), c.lostAfter) << c.what;
  }
}

}  // namespace
}  // namespace pelmic::linux_desktop
