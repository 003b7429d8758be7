// SPDX-License-Identifier: MIT
// cell_vertex_table.h - every site's cell as a list of vertices with their
// angles about the site, collected while the cell's edges are found.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "geometry/bounded.h"
#include "geometry/vertex_source.h"

namespace pelmic {

inline constexpr int kVertexSlots = 101;

// Angle of (px, py) about the site (sx, sy), radians in [0, 2pi]: 0 straight
// above, pi/2 left, pi straight below, 3pi/2 right (counter-clockwise on the
// screen, y downwards). A point on the site itself gets 0.
double AngleAboutSite(double px, double py, double sx, double sy);

// A vertex's exact source and its exact point bounded in doubles, worked out
// once when it is recorded; the exact point itself the first time a decision
// needs it, and kept with the vertex (where many bisectors meet at one point
// every decision there needs it).
struct VertexExact {
  VertexSource source;
  Bounded x, y;
  mutable std::shared_ptr<const ExactVertex> exact;

  // The exact point, the vertex lying in the cell of (sx, sy).
  const ExactVertex& Exactly(double sx, double sy) const;
};

// A vertex about to be recorded at (x, y) in the cell of (sx, sy).
VertexExact MakeVertexExact(const VertexSource& source, double x, double y, double sx, double sy);

class CellVertexTable {
 public:
  using Row = std::array<double, kVertexSlots>;
  using ExactRow = std::array<VertexExact, kVertexSlots>;

  std::int16_t VertexCount(int site) const { return vertexCount_.at(site); }
  void ResetCell(int site) { vertexCount_.at(site) = 0; }

  // True when the cell of (siteX, siteY) already holds the exact point of
  // `source` recorded at (x, y): a vertex found from two pairs is one vertex.
  bool IsCellVertex(int site, double x, double y, double siteX, double siteY, const VertexSource& source = {}) const {
    return IsCellVertex(site, MakeVertexExact(source, x, y, siteX, siteY), siteX, siteY);
  }
  bool IsCellVertex(int site, const VertexExact& candidate, double siteX, double siteY) const;
  // Appends (x, y) with its angle about (siteX, siteY); no duplicate test.
  void AddCellVertex(int site, double x, double y, double siteX, double siteY, const VertexSource& source = {}) {
    AddPreparedVertex(site, x, y, siteX, siteY, MakeVertexExact(source, x, y, siteX, siteY));
  }
  // The same for a vertex whose exact side is prepared (and perhaps worked out) already.
  void AddPreparedVertex(int site, double x, double y, double siteX, double siteY, VertexExact exact);

  double X(int site, int v) const { return vertexX_.at(site).at(v); }
  double Y(int site, int v) const { return vertexY_.at(site).at(v); }
  double Angle(int site, int v) const { return vertexAngle_.at(site).at(v); }
  const VertexExact& Exact(int site, int v) const { return vertexExact_.at(site).at(v); }

  Row& XRow(int site) { return vertexX_.at(site); }
  Row& YRow(int site) { return vertexY_.at(site); }
  Row& AngleRow(int site) { return vertexAngle_.at(site); }
  ExactRow& ExactRowOf(int site) { return vertexExact_.at(site); }

 private:
  std::array<std::int16_t, kVertexSlots> vertexCount_{};
  std::array<Row, kVertexSlots> vertexX_{};
  std::array<Row, kVertexSlots> vertexY_{};
  std::array<Row, kVertexSlots> vertexAngle_{};
  std::array<ExactRow, kVertexSlots> vertexExact_{};
};

}  // namespace pelmic
