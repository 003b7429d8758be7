// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "platform/linux/wayland/swap_damage.h"
#include "platform/linux/wayland/wayland_saver_window.h"

namespace pelmic::linux_desktop {
namespace {

TEST(WaylandSaverWanted, WaylandWhereNamedUnlessSdlVideoDriverNamesAnotherFirst) {
  struct Case {
    const char* videoDriver;
    const char* waylandDisplay;
    bool wanted;
  };
  const Case cases[] = {
      {nullptr, "wayland-0", true},         {nullptr, "/run/user/1000/wayland-1", true},
      {nullptr, nullptr, false},            {nullptr, "", false},
      {"", "wayland-0", true},              {"x11", "wayland-0", false},
      {"wayland", nullptr, true},           {"Wayland", "wayland-0", true},
      {"wayland,x11", "wayland-0", true},   {"x11,wayland", "wayland-0", false},
      {"waylandx", "wayland-0", false},     {"dummy", "wayland-0", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WaylandSaverWanted(c.videoDriver, c.waylandDisplay), c.wanted)
        << (c.videoDriver ? c.videoDriver : "(unset)") << " / " << (c.waylandDisplay ? c.waylandDisplay : "(unset)");
  }
}

// Two buffers taking turns, against a canvas that keeps changing: whichever
// buffer a present takes (the compositor may release the one on the screen
// first), the copy makes it the whole canvas, and the damage holds every
// pixel in which it differs from the buffer shown before. Where the canvas
// draws straight into a buffer, the buffer it moves to is brought up to date
// and a present copies nothing.
TEST(SwapDamage, EveryPresentShowsTheWholeCanvasAndDamagesEveryChange) {
  constexpr int kWidth = 16, kHeight = 8;
  using Pixels = std::vector<int>;
  auto inside = [](const DirtyRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
  for (const bool direct : {false, true}) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
      std::mt19937 random(seed);
      auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
      Pixels canvas(kWidth * kHeight, 0);
      std::array<Pixels, 2> buffers{canvas, canvas};
      SwapDamage damage;
      int onScreen = -1, paint = 0, carried = -1;  // carried: the buffer the canvas draws into
      auto carry = [&](int index) {
        const DirtyRect bring = damage.Bring(index);
        for (int i = 0; i < kWidth * kHeight; ++i) {
          if (inside(bring, i % kWidth, i / kWidth)) buffers[index][i] = canvas[i];
        }
        EXPECT_EQ(buffers[index], canvas) << "seed " << seed << ": stale after a move";
        carried = index;
      };
      for (int step = 0; step < 40; ++step) {
        if (below(3) != 0) {
          const int left = below(kWidth), top = below(kHeight);
          const DirtyRect rect{left, top, left + 1 + below(kWidth - left), top + 1 + below(kHeight - top)};
          ++paint;
          for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
              canvas[y * kWidth + x] = paint;
              if (carried >= 0) buffers[carried][y * kWidth + x] = paint;
            }
          }
          damage.Drawn(rect);
          EXPECT_TRUE(damage.Owed());
          continue;
        }
        if (direct && carried < 0) carry(onScreen < 0 ? 1 : 1 - onScreen);
        const int index = direct ? carried
                          : onScreen < 0 || below(4) == 0 ? (onScreen < 0 ? 0 : onScreen)
                                                          : 1 - onScreen;
        const Pixels before = onScreen < 0 ? Pixels(kWidth * kHeight, 0) : buffers[onScreen];
        const DirtyRect copy = damage.Take(index);
        for (int y = 0; y < kHeight; ++y) {
          for (int x = 0; x < kWidth; ++x) {
            if (!direct && inside(copy, x, y)) buffers[index][y * kWidth + x] = canvas[y * kWidth + x];
            ASSERT_EQ(buffers[index][y * kWidth + x], canvas[y * kWidth + x])
                << "seed " << seed << " step " << step << ": stale pixel " << x << "," << y;
            if (buffers[index][y * kWidth + x] != before[y * kWidth + x]) {
              ASSERT_TRUE(inside(copy, x, y)) << "seed " << seed << " step " << step << ": undamaged " << x << "," << y;
            }
          }
        }
        EXPECT_FALSE(damage.Owed());
        onScreen = index;
        if (direct) carry(1 - index);
      }
    }
  }
}

}  // namespace
}  // namespace pelmic::linux_desktop
