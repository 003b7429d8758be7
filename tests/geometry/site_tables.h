// SPDX-License-Identifier: MIT
// site_tables.h - building site tables for geometry tests.
#pragma once

#include <initializer_list>
#include <memory>
#include <utility>

#include "geometry/diagram_tables.h"

namespace pelmic::testing {

inline std::unique_ptr<DiagramTables> TablesWithSites(std::initializer_list<std::pair<float, float>> sites) {
  auto tables = std::make_unique<DiagramTables>();
  for (const auto& [x, y] : sites) {
    tables->sites.siteX.at(tables->sites.siteCount) = x;
    tables->sites.siteY.at(tables->sites.siteCount) = y;
    ++tables->sites.siteCount;
  }
  return tables;
}

}  // namespace pelmic::testing
