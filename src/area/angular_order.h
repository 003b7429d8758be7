// angular_order.h - a cell's vertices in counter-clockwise order about its site.
#pragma once

#include "geometry/cell_vertex_table.h"

namespace pelmic {

// Sorts row `row` of the vertex table by angle, coordinates carried along, so
// that consecutive vertices are neighbours on the cell boundary.
void OrderCellVertices(CellVertexTable& cells, int row);

// Gives each vertex of row `row` that lies at the site (siteX, siteY) itself,
// within the duplicate-vertex limit, the direction opposite to the mean
// direction of the others. Three or more sites a hair apart meet at a vertex
// that is their sites' own position; its angle is then rounding noise, which
// can sort it between two far vertices and drop their slice from the fan.
// The site is on the cell's boundary there, so the others all lie on one side
// of it, and the opposite direction is in the gap they leave.
void AngleVerticesAtTheSite(CellVertexTable& cells, int row, double siteX, double siteY);

}  // namespace pelmic
