// SPDX-License-Identifier: MIT
#include "oracle/reference_voronoi.h"

#include <algorithm>
#include <boost/polygon/voronoi.hpp>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace pelmic::testing {
namespace {

using BoostPoint = boost::polygon::point_data<int>;
using Rational = boost::multiprecision::mpq_rational;

BoostPoint Scaled(double x, double y, double scale) {
  const double sx = x * scale;
  const double sy = y * scale;
  if (sx != std::round(sx) || sy != std::round(sy)) throw std::invalid_argument("site not on the test grid");
  return {static_cast<int>(sx), static_cast<int>(sy)};
}

std::vector<BoostPoint> MirroredSites(const std::vector<ReferencePoint>& sites, ScreenSize screen) {
  const double w = screen.widthPx;
  const double h = screen.heightPx;
  const double scale = ReferenceScale(screen);
  std::vector<BoostPoint> points;
  for (const ReferencePoint& s : sites) points.push_back(Scaled(s.x, s.y, scale));
  // A site on a border is its own mirror image there; Boost would merge the
  // two and might keep the mirror's index, so that image is left out.
  for (const ReferencePoint& s : sites) {
    if (s.x != 0) points.push_back(Scaled(-s.x, s.y, scale));
    points.push_back(Scaled(2 * w - s.x, s.y, scale));
    if (s.y != 0) points.push_back(Scaled(s.x, -s.y, scale));
    points.push_back(Scaled(s.x, 2 * h - s.y, scale));
  }
  return points;
}

// Keeps the part of `polygon` where inside(p) holds (Sutherland-Hodgman, one
// border at a time). `cross` gives the border crossing of an edge.
template <typename Inside, typename Cross>
std::vector<ReferencePoint> ClipBy(const std::vector<ReferencePoint>& polygon, Inside inside, Cross cross) {
  std::vector<ReferencePoint> out;
  for (std::size_t v = 0; v < polygon.size(); ++v) {
    const ReferencePoint& a = polygon[v];
    const ReferencePoint& b = polygon[(v + 1) % polygon.size()];
    if (inside(a)) out.push_back(a);
    if (inside(a) != inside(b)) out.push_back(cross(a, b));
  }
  return out;
}

struct ExactVertex {
  Rational x, y;
  int side;  // as TaggedCell::sideSite, for the side that starts here
};

// The part of `cell` nearer to a than to b; the sides the bisector adds are
// tagged with b's index.
std::vector<ExactVertex> NearerPart(const std::vector<ExactVertex>& cell, ReferencePoint a, ReferencePoint b,
                                    int bIndex) {
  const Rational ax(a.x), ay(a.y), bx(b.x), by(b.y);
  const Rational nx = bx - ax, ny = by - ay, midX = (ax + bx) / 2, midY = (ay + by) / 2;
  const auto beyond = [&](const ExactVertex& p) -> Rational { return nx * (p.x - midX) + ny * (p.y - midY); };
  std::vector<ExactVertex> out;
  for (std::size_t v = 0; v < cell.size(); ++v) {
    const ExactVertex& p = cell[v];
    const ExactVertex& q = cell[(v + 1) % cell.size()];
    const Rational fp = beyond(p), fq = beyond(q);
    if (fp <= 0) out.push_back({p.x, p.y, fq > 0 && fp == 0 ? bIndex : p.side});
    if ((fp < 0 && fq > 0) || (fp > 0 && fq < 0)) {
      const Rational t = fp / (fp - fq);
      out.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, fp < 0 ? bIndex : p.side});
    }
  }
  return out;
}

}  // namespace

std::vector<TaggedCell> HalfPlaneCells(const std::vector<ReferencePoint>& sites, ScreenSize screen) {
  const Rational w(double{screen.widthPx}), h(screen.heightPx);
  std::vector<TaggedCell> cells;
  for (std::size_t i = 0; i < sites.size(); ++i) {
    std::vector<ExactVertex> cell = {{0, 0, -1}, {0, h, -1}, {w, h, -1}, {w, 0, -1}};
    for (std::size_t k = 0; k < sites.size(); ++k) {
      if (k != i) cell = NearerPart(cell, sites[i], sites[k], static_cast<int>(k));
    }
    TaggedCell tagged;
    for (std::size_t v = 0; v < cell.size(); ++v) {
      const ExactVertex& p = cell[v];
      const ExactVertex& q = cell[(v + 1) % cell.size()];
      tagged.polygon.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
      tagged.sideSite.push_back(p.side);
      tagged.area += p.x * q.y - q.x * p.y;
    }
    tagged.area = abs(tagged.area) / 2;
    cells.push_back(std::move(tagged));
  }
  return cells;
}

// A site on a border coincides with its own mirror image, and Boost merges
// coincident sites, so its cell spills over the border; clipping to the
// screen takes that back off.
std::vector<ReferencePoint> ClipToScreen(std::vector<ReferencePoint> polygon, ScreenSize screen) {
  const double w = screen.widthPx;
  const double h = screen.heightPx;
  auto atX = [](double x) {
    return [x](ReferencePoint a, ReferencePoint b) { return ReferencePoint{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)}; };
  };
  auto atY = [](double y) {
    return [y](ReferencePoint a, ReferencePoint b) { return ReferencePoint{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y}; };
  };
  polygon = ClipBy(polygon, [](ReferencePoint p) { return p.x >= 0; }, atX(0));
  polygon = ClipBy(polygon, [w](ReferencePoint p) { return p.x <= w; }, atX(w));
  polygon = ClipBy(polygon, [](ReferencePoint p) { return p.y >= 0; }, atY(0));
  polygon = ClipBy(polygon, [h](ReferencePoint p) { return p.y <= h; }, atY(h));
  return polygon;
}

double ReferenceScale(ScreenSize screen) {
  const double extent = 3 * std::max<double>(screen.widthPx, screen.heightPx);
  double scale = 262144.0;
  while (extent * scale >= 2147483648.0) scale /= 2;
  return scale;
}

ReferencePoint OnReferenceGrid(ReferencePoint p, ScreenSize screen) {
  const double scale = ReferenceScale(screen);
  return {std::round(p.x * scale) / scale, std::round(p.y * scale) / scale};
}

std::vector<std::vector<ReferencePoint>> ReferenceCells(const std::vector<ReferencePoint>& sites, ScreenSize screen) {
  const std::vector<BoostPoint> points = MirroredSites(sites, screen);
  boost::polygon::voronoi_diagram<double> diagram;
  boost::polygon::construct_voronoi(points.begin(), points.end(), &diagram);

  const double scale = ReferenceScale(screen);
  std::vector<std::vector<ReferencePoint>> cells(sites.size());
  for (const auto& cell : diagram.cells()) {
    const std::size_t index = cell.source_index();
    if (index >= sites.size() || cell.is_degenerate()) continue;
    const auto* edge = cell.incident_edge();
    do {
      if (edge->vertex0() == nullptr) throw std::logic_error("an original site's cell is unbounded");
      cells[index].push_back({edge->vertex0()->x() / scale, edge->vertex0()->y() / scale});
      edge = edge->next();
    } while (edge != cell.incident_edge());
  }
  for (auto& cell : cells) cell = ClipToScreen(cell, screen);
  return cells;
}

double PolygonArea(const std::vector<ReferencePoint>& polygon) {
  double twice = 0;
  for (std::size_t v = 0; v < polygon.size(); ++v) {
    const ReferencePoint& a = polygon[v];
    const ReferencePoint& b = polygon[(v + 1) % polygon.size()];
    twice += a.x * b.y - b.x * a.y;
  }
  return std::abs(twice) / 2;
}

namespace {

double NearestDistanceTo(double x, double y, const std::vector<ReferencePoint>& points) {
  double best = INFINITY;
  for (const ReferencePoint& p : points) best = std::min(best, std::hypot(p.x - x, p.y - y));
  return best;
}

}  // namespace

std::string PointFault(const DiagramTables& tables, const std::vector<DrawnEnd>& ends,
                       const std::vector<TaggedCell>& exact) {
  char text[200];
  for (const DrawnEnd& end : ends) {
    const double off = NearestDistanceTo(end.x, end.y, exact.at(static_cast<std::size_t>(end.i - 1)).polygon);
    if (!(off <= 1e-6)) {
      std::snprintf(text, sizeof text, "site %d: edge end (%.17g, %.17g) %.3g px from the exact cell's vertices", end.i,
                    end.x, end.y, off);
      return text;
    }
  }
  for (std::size_t n = 0; n < exact.size(); ++n) {
    std::vector<ReferencePoint> ours;
    const int row = static_cast<int>(n);
    for (int v = 0; v < tables.cells.VertexCount(row); ++v) ours.push_back({tables.cells.X(row, v), tables.cells.Y(row, v)});
    for (const ReferencePoint& p : ours) {
      const double off = NearestDistanceTo(p.x, p.y, exact[n].polygon);
      if (!(off <= 1e-6)) {
        std::snprintf(text, sizeof text, "site %zu: vertex (%.17g, %.17g) %.3g px from the exact cell's", n + 1, p.x,
                      p.y, off);
        return text;
      }
    }
    for (const ReferencePoint& p : exact[n].polygon) {
      const double off = NearestDistanceTo(p.x, p.y, ours);
      if (!(off <= 1e-6)) {
        std::snprintf(text, sizeof text, "site %zu: exact vertex (%.17g, %.17g) missing, nearest %.3g px", n + 1, p.x,
                      p.y, off);
        return text;
      }
    }
  }
  return "";
}

}  // namespace pelmic::testing
