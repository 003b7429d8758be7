// SPDX-License-Identifier: MIT
// cell_area.h - a cell's area as a fan of triangles from its site.
#pragma once

#include "geometry/cell_vertex_table.h"

namespace pelmic {

// Area of the triangle (s, p, q) from its side lengths (Heron, arranged after
// Kahan so that flat triangles keep their digits). Three points on a line,
// where rounding can leave the sides a hair from closing, give 0.
double TriangleArea(double sx, double sy, double px, double py, double qx, double qy);

// Area in px^2 of the cell in row `row`, whose vertices are in angular order
// about the site (siteX, siteY): one triangle per pair of consecutive
// vertices and one closing the fan. A cell without vertices has area 0.
double ComputeCellArea(const CellVertexTable& cells, int row, double siteX, double siteY);

}  // namespace pelmic
