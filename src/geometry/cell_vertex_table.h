// SPDX-License-Identifier: MIT
// cell_vertex_table.h - every site's cell as a list of vertices with their
// angles about the site, collected while the cell's edges are found.
#pragma once

#include <array>
#include <cstdint>

#include "geometry/bounded.h"
#include "geometry/vertex_source.h"

namespace pelmic {

inline constexpr int kVertexSlots = 101;

// Angle of (px, py) about the site (sx, sy), radians in [0, 2pi]: 0 straight
// above, pi/2 left, pi straight below, 3pi/2 right (counter-clockwise on the
// screen, y downwards). A point on the site itself gets 0.
double AngleAboutSite(double px, double py, double sx, double sy);

// A vertex's exact source and its exact point bounded in doubles, worked out
// once when it is recorded.
struct VertexExact {
  VertexSource source;
  Bounded x, y;
};

class CellVertexTable {
 public:
  using Row = std::array<double, kVertexSlots>;
  using ExactRow = std::array<VertexExact, kVertexSlots>;

  std::int16_t VertexCount(int site) const { return vertexCount_.at(site); }
  void ResetCell(int site) { vertexCount_.at(site) = 0; }

  // True when the cell of (siteX, siteY) already holds the exact point of
  // `source` recorded at (x, y): a vertex found from two pairs is one vertex.
  bool IsCellVertex(int site, double x, double y, double siteX, double siteY, const VertexSource& source = {}) const;
  // Appends (x, y) with its angle about (siteX, siteY); no duplicate test.
  void AddCellVertex(int site, double x, double y, double siteX, double siteY, const VertexSource& source = {});

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
