// SPDX-License-Identifier: MIT
// angular_order.h - a cell's vertices in counter-clockwise order about its site.
#pragma once

#include "geometry/cell_vertex_table.h"

namespace pelmic {

// Sorts row `row` of the vertex table, coordinates carried along, so that
// consecutive vertices are neighbours on the cell boundary: by the angle keys
// first, then settled by the exact directions of the vertices' exact points
// from the site (siteX, siteY), which the keys only approximate (near
// straight up or down the arc sine cannot part directions closer than about
// 2e-8 rad). A vertex on the site itself (a site in a screen corner, which
// gets that corner) takes the direction out of the screen there, in the gap
// its neighbours leave, so that the fan keeps every slice.
void OrderCellVertices(CellVertexTable& cells, int row, double siteX, double siteY);

}  // namespace pelmic
