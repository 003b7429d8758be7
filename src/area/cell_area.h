// SPDX-License-Identifier: MIT
// cell_area.h - a cell's area as a fan of triangles from its site.
#pragma once

#include "geometry/cell_vertex_table.h"

namespace pelmic {

// Area of the triangle (s, p, q) in doubles. Unlike a formula on the side
// lengths, a triangle with s in line with p and q comes out as 0 however long.
double TriangleArea(double sx, double sy, double px, double py, double qx, double qy);

// Area in px^2 of the cell in row `row`, whose vertices are in angular order
// about the site (siteX, siteY): one triangle per pair of consecutive
// vertices and one closing the fan, on the vertices' exact points. The result
// is the exact area to within rounding and always rounds to the same label as
// the exact area does: where the bound on its rounding leaves the label open,
// the area is computed exactly. A cell without vertices has area 0.
double ComputeCellArea(const CellVertexTable& cells, int row, double siteX, double siteY);

}  // namespace pelmic
