#include "platform/sdl/embedded_window.h"

#include <gtest/gtest.h>

namespace pelmic::sdl {
namespace {

constexpr X11WindowId kWindow = 0x400003;
// Ids SDL made for the window's framebuffer lie between two of our own.
constexpr X11WindowId kMadeAfter = 0x600010;
constexpr X11WindowId kMadeBefore = 0x600014;

TEST(LossWatch, SwallowsOnlyWhatTheLossExplains) {
  const struct {
    const char* what;
    bool lostBefore;
    X11Error error;
    bool swallowed;
    bool lostAfter;
  } cases[] = {
      {"the window gone, heard first from an error", false, {true, kWindow}, true, true},
      {"another window gone", false, {true, 0x400004}, false, false},
      {"an error about its GC while the window lives", false, {false, kMadeAfter + 1}, false, false},
      {"the window again, once lost", true, {true, kWindow}, true, true},
      {"another error about the window, once lost", true, {false, kWindow}, true, true},
      {"its GC, once lost", true, {false, kMadeAfter + 1}, true, true},
      {"its shared-memory image, once lost", true, {false, kMadeBefore - 1}, true, true},
      {"an id of ours made before the framebuffer", true, {false, kMadeAfter}, false, true},
      {"an id of ours made after it", true, {false, kMadeBefore}, false, true},
      {"someone else's window, once lost", true, {true, 0x200001}, false, true},
  };
  for (const auto& c : cases) {
    LossWatch watch(kWindow);
    watch.NoteMade(kMadeAfter, kMadeBefore);
    if (c.lostBefore) watch.MarkLost();
    EXPECT_EQ(watch.Explains(c.error), c.swallowed) << c.what;
    EXPECT_EQ(watch.Lost(), c.lostAfter) << c.what;
  }
}

TEST(LossWatch, EveryFramebufferMadeCountsAndNothingElse) {
  LossWatch watch(kWindow);
  watch.MarkLost();
  EXPECT_FALSE(watch.Explains({false, kMadeAfter + 1})) << "nothing made yet";
  watch.NoteMade(kMadeAfter, kMadeBefore);
  watch.NoteMade(0, 0);  // not on X: no ids at all
  watch.NoteMade(kMadeBefore + 8, kMadeBefore + 12);  // a new framebuffer after a resize
  EXPECT_TRUE(watch.Explains({false, kMadeAfter + 1}));
  EXPECT_TRUE(watch.Explains({false, kMadeBefore + 10}));
  EXPECT_FALSE(watch.Explains({false, kMadeBefore + 12}));
  EXPECT_FALSE(watch.Explains({false, 1}));
}

}  // namespace
}  // namespace pelmic::sdl
