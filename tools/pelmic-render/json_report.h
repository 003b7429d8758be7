// SPDX-License-Identifier: MIT
// json_report.h - the renderer's report of each cycle: sites, cells, areas,
// labels and edges in drawing order.
//
// Written as it goes, one cycle at a time, so memory stays flat however many
// cycles a run has:
//
//   JsonReport report(outputs.Open("cells.json"), 800, 600);  // {"width":800,...
//   report.AddCycle(tables, edges, look);                      // one cycle
//   report.Finish();                                           // ]}
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cycle/cycle_state.h"
#include "geometry/edge_piece.h"
#include "output_files.h"

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
  // Writes the report's opening to `out`.
  JsonReport(OutputFile& out, int width, int height);

  // Writes one cycle, taking sites, vertices and areas from `tables`.
  void AddCycle(const DiagramTables& tables, const std::vector<DrawnEdge>& edges, std::optional<CycleLook> look);
  // Writes the closing; the report is complete.
  void Finish();

 private:
  OutputFile& out_;
  bool firstCycle_ = true;
};

}  // namespace pelmic::render
