// SPDX-License-Identifier: MIT
// angular_order.h - a cell's vertices in counter-clockwise order about its site.
#pragma once

#include "geometry/cell_vertex_table.h"

namespace pelmic {

// Sorts row `row` of the vertex table by angle, coordinates carried along, so
// that consecutive vertices are neighbours on the cell boundary.
void OrderCellVertices(CellVertexTable& cells, int row);

// Angle keys this close may be in the wrong order: near straight up or down
// the arc sine cannot tell directions apart closer than about 2e-8 rad, and
// anywhere two directions closer than a double step of the angle share a key.
inline constexpr double kNearAngle = 1e-7;

// Puts neighbours in row `row` whose angle keys lie within kNearAngle of each
// other in the order the sign of their cross product about the site
// (siteX, siteY) gives, which tells such directions apart to the last digit.
// A site a hair off the line of two of its cell's vertices (a border, where
// sites a hair apart cut a notch at a corner) sees both in what the keys call
// one direction; taken in the wrong order, the fan skips the slice between
// the far one and the next vertex, half the screen at worst.
void SettleNearAngles(CellVertexTable& cells, int row, double siteX, double siteY);

// Gives each vertex of row `row` that lies at the site (siteX, siteY) itself,
// within the duplicate-vertex limit, the direction opposite to the mean
// direction of the others. Three or more sites a hair apart meet at a vertex
// that is their sites' own position; its angle is then rounding noise, which
// can sort it between two far vertices and drop their slice from the fan.
// The site is on the cell's boundary there, so the others all lie on one side
// of it, and the opposite direction is in the gap they leave.
void AngleVerticesAtTheSite(CellVertexTable& cells, int row, double siteX, double siteY);

}  // namespace pelmic
