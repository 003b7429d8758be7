// angular_order.h - a cell's vertices in counter-clockwise order about its site.
#pragma once

#include "geometry/cell_vertex_table.h"

namespace pelmic {

// Sorts row `row` of the vertex table by angle, coordinates carried along, so
// that consecutive vertices are neighbours on the cell boundary.
void OrderCellVertices(CellVertexTable& cells, int row);

}  // namespace pelmic
