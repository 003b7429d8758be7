// json_report.h - the renderer's report of each cycle: sites, cells, areas,
// labels and edges in drawing order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cycle/cycle_state.h"
#include "geometry/edge_piece.h"

namespace pelmic::render {

struct DrawnEdge {
  int i, k;
  Edge edge;
};

// What the set-up chose; absent for fixed sites.
struct CycleLook {
  ColourValue colour;
  float scaleBarLeft, scaleBarY;
};

class JsonReport {
 public:
  JsonReport(int width, int height) : width_(width), height_(height) {}

  // Adds one cycle, taking sites, vertices and areas from `tables`.
  void AddCycle(const DiagramTables& tables, const std::vector<DrawnEdge>& edges, std::optional<CycleLook> look);
  std::string Text() const;

 private:
  int width_, height_;
  std::vector<std::string> cycles_;
};

}  // namespace pelmic::render
