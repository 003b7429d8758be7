// SPDX-License-Identifier: MIT
// vertex_source.h - how a cell vertex arises, so that the exact point behind
// its rounded coordinates can be worked out when a decision needs it.
#pragma once

#include "geometry/bounded.h"
#include "geometry/dyadic.h"
#include "geometry/line_place.h"

namespace pelmic {

// A vertex of the cell of a site on the site's bisector with partner (kx, ky),
// at `place`; with place kind kNone, the vertex is exactly the point
// (place.a, place.b) (a screen corner).
struct VertexSource {
  double kx = 0, ky = 0;
  LinePlace place;
};

// The exact point of a vertex in the cell of (sx, sy), bounded in doubles.
template <class T>
void SourcePoint(const VertexSource& s, double sx, double sy, T& px, T& py) {
  if (s.place.kind == LinePlace::Kind::kNone) {
    px = T(s.place.a);
    py = T(s.place.b);
    return;
  }
  PlacePoint<T>(PairFrame(sx, sy, s.kx, s.ky), s.place, px, py);
}

// The exact point of a vertex in the cell of (sx, sy) as (x / d, y / d),
// d > 0, and its direction from the site times d, (x - sx d, y - sy d):
// what the exact decisions about the vertex compare, without dividing.
struct ExactVertex {
  PointFraction<Dyadic> point;
  Dyadic dx, dy;
};

ExactVertex ExactVertexOf(const VertexSource& s, double sx, double sy);

// Whether two sources name one point without arithmetic: the same place on
// the same bisector, or the crossing of the same two bisectors from either.
bool SameSource(const VertexSource& a, const VertexSource& b);

}  // namespace pelmic
