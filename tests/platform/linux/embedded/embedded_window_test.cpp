#include "platform/linux/embedded/embedded_window.h"

#include <gtest/gtest.h>

namespace pelmic::sdl {
namespace {

constexpr X11WindowId kWindow = 0x400003;
// Ids SDL made for the window's framebuffers lie between ids of our own:
// one span at start, none off X, another after a resize.
constexpr X11WindowId kFirst = 0x600010, kLast = 0x600024;

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
      {"an error about its GC while the window lives", false, {false, kFirst + 1}, false, false},
      {"another error about the window, once lost", true, {false, kWindow}, true, true},
      {"its GC, once lost", true, {false, kFirst + 1}, true, true},
      {"its framebuffer after a resize, once lost", true, {true, kLast - 1}, true, true},
      {"an id of ours made before the framebuffer", true, {false, kFirst}, false, true},
      {"an id of ours made after the last one", true, {false, kLast}, false, true},
      {"someone else's window, once lost", true, {true, 0x200001}, false, true},
  };
  for (const auto& c : cases) {
    LossWatch watch(kWindow);
    watch.NoteMade(kFirst, kFirst + 4);
    watch.NoteMade(0, 0);
    watch.NoteMade(kLast - 4, kLast);
    if (c.lostBefore) watch.MarkLost();
    EXPECT_EQ(watch.Explains(c.error), c.swallowed) << c.what;
    EXPECT_EQ(watch.Lost(), c.lostAfter) << c.what;
  }
}

}  // namespace
}  // namespace pelmic::sdl
