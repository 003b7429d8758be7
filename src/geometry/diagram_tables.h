// SPDX-License-Identifier: MIT
// diagram_tables.h - the fixed-size working tables of one cycle.
//
// Allocated once when the saver starts and overwritten by every cycle; slots
// beyond the current counts keep stale values and are never read. Every
// access is checked (std::array::at), so a logic error ends in an exception
// rather than in someone else's memory.
#pragma once

#include <array>
#include <cstdint>

#include "geometry/cell_vertex_table.h"
#include "geometry/place_order.h"

namespace pelmic {

inline constexpr int kSiteSlots = 101;
inline constexpr int kCutSlots = 2001;
// How many sites a cycle has: the saver picks a count in this range, and a
// sites file may hold no more.
inline constexpr int kMinSites = 4;
inline constexpr int kMaxSites = 49;

// Sites are counted from 1 and site n lives in slot n - 1 of every per-site
// table (sites, cells, areas, third-site places).
constexpr int SlotOf(int site) { return site - 1; }

// Sites of the cycle. The saver's
// sites are the random generator's single-precision values; sites read from a
// file by the renderer keep their full value, so the table holds doubles.
// Single-precision random sites can coincide: of sites at one point the first
// in site order owns the cell, and later copies get none and change no other.
struct SiteTable {
  std::int16_t siteCount = 0;
  std::array<double, kSiteSlots> siteX{};
  std::array<double, kSiteSlots> siteY{};

  double X(int n) const { return siteX.at(SlotOf(n)); }
  double Y(int n) const { return siteY.at(SlotOf(n)); }
};

// The 0-based slot of the site nearest to each screen corner.
struct CornerSites {
  std::int32_t cornerSiteTL = 0;
  std::int32_t cornerSiteTR = 0;
  std::int32_t cornerSiteBL = 0;
  std::int32_t cornerSiteBR = 0;
};

// The cut points of the current pair, as the exact places they stand for:
// the edge search orders and tells them apart by these, and only the two
// that end the edge are ever placed in coordinates (ResolvePoint).
struct CutList {
  std::int16_t cutCount = 0;
  std::array<LinePlace, kCutSlots> cutPlace{};
  // Per third site m (its slot): where its bisector with i crosses the pair's
  // bisector, and whether it takes part at all (a later copy of i or k does
  // not).
  std::array<Place, kSiteSlots> thirdPlace{};
  std::array<bool, kSiteSlots> takesPart{};

  void Append(const Place& place) {
    cutPlace.at(cutCount) = place.where;
    ++cutCount;
  }
};

struct DiagramTables {
  SiteTable sites;
  CornerSites corners;
  CutList cuts;
  CellVertexTable cells;
  std::array<double, kSiteSlots> cellArea{};
};

}  // namespace pelmic
