// SPDX-License-Identifier: MIT
#include "area/angular_order.h"

#include <array>
#include <span>
#include <utility>
#include <vector>

#include "geometry/exact_sign.h"
#include "geometry/numeric.h"

namespace pelmic {
namespace {

// A vertex's direction from the site: bounded, and its place in the order of
// angle keys: 0 straight up, 1 the left half, 2 straight down, 3 the right half.
struct Direction {
  Bounded dx, dy;
  int rank = 0;
  bool atSite = false;
  const VertexExact* exact = nullptr;
};

struct SiteView {
  const CellVertexTable& cells;
  int row;
  double sx, sy;
};

// The exact direction, times the vertex's positive denominator.
const Dyadic& ExactDx(const Direction& d, const SiteView& s) { return d.exact->Exactly(s.sx, s.sy).dx; }
const Dyadic& ExactDy(const Direction& d, const SiteView& s) { return d.exact->Exactly(s.sx, s.sy).dy; }

int Rank(int sgx, int sgy) {
  if (sgx < 0) return 1;
  if (sgx > 0) return 3;
  return sgy < 0 ? 0 : 2;
}

Direction DirectionOf(const SiteView& s, int v) {
  Direction d;
  d.exact = &s.cells.Exact(s.row, v);
  d.dx = d.exact->x - Bounded(s.sx);
  d.dy = d.exact->y - Bounded(s.sy);
  ScaleUpTiny(d.dx, d.dy);  // near a tiny site, so that cross products do not underflow
  int sgx = SignWith(d.dx, [&] { return ExactDx(d, s); });
  int sgy = SignWith(d.dy, [&] { return ExactDy(d, s); });
  if (sgx == 0 && sgy == 0) {
    // Only a screen corner can be the site itself: point out of the screen.
    d.atSite = true;
    d.dx = Bounded(s.sx == 0 ? -1.0 : 1.0);
    d.dy = Bounded(s.sy == 0 ? -1.0 : 1.0);
    sgx = SignOfBounded(d.dx);
    sgy = SignOfBounded(d.dy);
  }
  d.rank = Rank(sgx, sgy);
  return d;
}

// Whether a comes strictly before b counter-clockwise on the screen from
// straight up (y grows downwards, so that is a negative cross product).
bool Before(const Direction& a, const Direction& b, const SiteView& s) {
  if (a.rank != b.rank) return a.rank < b.rank;
  if (a.rank == 0 || a.rank == 2) return false;
  return SignWith(a.dx * b.dy - a.dy * b.dx, [&] {
           const auto part = [&](const Direction& d, bool x) {
             return d.atSite ? Dyadic(x ? d.dx.v : d.dy.v) : (x ? ExactDx(d, s) : ExactDy(d, s));
           };
           return part(a, true) * part(b, false) - part(a, false) * part(b, true);
         }) < 0;
}

// Rewrites the row in the order `order` gives (slot v takes the vertex from
// slot order[v]), in place: one cycle of the permutation at a time.
void Permute(CellVertexTable& cells, int row, std::span<const int> order) {
  std::array<bool, kVertexSlots> placed;
  placed.fill(false);
  for (std::size_t start = 0; start < order.size(); ++start) {
    for (std::size_t v = start; !placed.at(v);) {
      placed.at(v) = true;
      const std::size_t from = static_cast<std::size_t>(order[v]);
      if (from == start) break;
      std::swap(cells.XRow(row).at(v), cells.XRow(row).at(from));
      std::swap(cells.YRow(row).at(v), cells.YRow(row).at(from));
      std::swap(cells.AngleRow(row).at(v), cells.AngleRow(row).at(from));
      std::swap(cells.ExactRowOf(row).at(v), cells.ExactRowOf(row).at(from));
      v = from;
    }
  }
}

}  // namespace

void OrderCellVertices(CellVertexTable& cells, int row, double siteX, double siteY) {
  const std::int16_t n = cells.VertexCount(row);
  const std::size_t count = static_cast<std::size_t>(n);
  std::array<double, kVertexSlots> keys, index, unused;
  for (int v = 0; v < n; ++v) {
    keys.at(v) = cells.Angle(row, v);
    index.at(v) = v;
  }
  hSort(n, std::span<double>(keys).first(count), std::span<double>(index).first(count),
        std::span<double>(unused).first(count));
  const SiteView view{cells, row, siteX, siteY};
  std::vector<Direction> directions(count);
  std::array<int, kVertexSlots> order;
  for (int v = 0; v < n; ++v) {
    order.at(v) = static_cast<int>(index.at(v));
    directions.at(order.at(v)) = DirectionOf(view, order.at(v));
  }
  // Insertion sort: the keys leave the row in order but for near neighbours.
  for (int v = 1; v < n; ++v) {
    for (int at = v; at > 0 && Before(directions.at(order.at(at)), directions.at(order.at(at - 1)), view); --at) {
      std::swap(order.at(at), order.at(at - 1));
    }
  }
  Permute(cells, row, std::span<const int>(order).first(count));
}

}  // namespace pelmic
