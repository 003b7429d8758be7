#include "platform/sdl/display_covers.h"

#include <algorithm>

namespace pelmic::sdl {

namespace {

bool Inside(const SDL_Rect& inner, const SDL_Rect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

bool SameBounds(const SDL_Rect& a, const SDL_Rect& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

}  // namespace

std::vector<int> DisplaysToCover(const std::vector<SDL_Rect>& displays, int primary) {
  std::vector<int> covers;
  for (int i = 0; i < static_cast<int>(displays.size()); ++i) {
    const SDL_Rect& bounds = displays[i];
    if (i == primary || bounds.w <= 0 || bounds.h <= 0 || Inside(bounds, displays[primary])) continue;
    const bool seen = std::any_of(covers.begin(), covers.end(),
                                  [&](int cover) { return SameBounds(displays[cover], bounds); });
    if (!seen) covers.push_back(i);
  }
  return covers;
}

}  // namespace pelmic::sdl
