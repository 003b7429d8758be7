// SPDX-License-Identifier: MIT
#include "geometry/vertex_source.h"

namespace pelmic {

ExactVertex ExactVertexOf(const VertexSource& s, double sx, double sy) {
  ExactVertex v;
  if (s.place.kind == LinePlace::Kind::kNone) {
    v.point = {Dyadic(s.place.a), Dyadic(s.place.b), Dyadic(1.0)};
  } else {
    v.point = PlacePointFraction<Dyadic>(PairFrame(sx, sy, s.kx, s.ky), s.place);
  }
  v.dx = v.point.x - Dyadic(sx) * v.point.d;
  v.dy = v.point.y - Dyadic(sy) * v.point.d;
  return v;
}

bool SameSource(const VertexSource& a, const VertexSource& b) {
  if (a.place.kind == LinePlace::Kind::kNone || a.place.kind != b.place.kind) return false;
  const bool samePartner = a.kx == b.kx && a.ky == b.ky;
  if (samePartner && a.place.a == b.place.a && a.place.b == b.place.b) return true;
  // The crossing of the bisectors with k and with m, found from either pair.
  return a.place.kind == LinePlace::Kind::kCrossing && a.kx == b.place.a && a.ky == b.place.b &&
         a.place.a == b.kx && a.place.b == b.ky;
}

}  // namespace pelmic
