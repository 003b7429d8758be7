// SPDX-License-Identifier: MIT
// cell_vertex_table.h - every site's cell as a list of vertices with their
// angles about the site, collected while the cell's edges are found.
#pragma once

#include <array>
#include <cstdint>

namespace pelmic {

inline constexpr int kVertexSlots = 101;

// Points nearer than this (squared, in px^2) to a recorded vertex are the same
// vertex: 1e-6 px, far above the rounding noise of a vertex found again from
// another pair (about 1e-10 px), and far below the spacing of distinct
// vertices even where many sites lie almost on one circle.
inline constexpr double kSameVertexSquaredDistance = 1e-12;

// Angle of (px, py) about the site (sx, sy), radians in [0, 2pi]: 0 straight
// above, pi/2 left, pi straight below, 3pi/2 right (counter-clockwise on the
// screen, y downwards). A point on the site itself gets 0.
double AngleAboutSite(double px, double py, double sx, double sy);

class CellVertexTable {
 public:
  using Row = std::array<double, kVertexSlots>;

  std::int16_t VertexCount(int site) const { return vertexCount_.at(site); }
  void ResetCell(int site) { vertexCount_.at(site) = 0; }

  // True when a recorded vertex of the cell lies within the duplicate limit of (x, y).
  bool IsCellVertex(int site, double x, double y) const;
  // Appends (x, y) with its angle about (siteX, siteY); no duplicate test.
  void AddCellVertex(int site, double x, double y, double siteX, double siteY);

  double X(int site, int v) const { return vertexX_.at(site).at(v); }
  double Y(int site, int v) const { return vertexY_.at(site).at(v); }
  double Angle(int site, int v) const { return vertexAngle_.at(site).at(v); }

  Row& XRow(int site) { return vertexX_.at(site); }
  Row& YRow(int site) { return vertexY_.at(site); }
  Row& AngleRow(int site) { return vertexAngle_.at(site); }

 private:
  std::array<std::int16_t, kVertexSlots> vertexCount_{};
  std::array<Row, kVertexSlots> vertexX_{};
  std::array<Row, kVertexSlots> vertexY_{};
  std::array<Row, kVertexSlots> vertexAngle_{};
};

}  // namespace pelmic
