#include "json_report.h"

#include <array>
#include <charconv>

#include "area/area_label.h"

namespace pelmic::render {
namespace {

// Shortest text that reads back as the same double, so the report is exact.
std::string Number(double value) {
  std::array<char, 32> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), end);
}

std::string Point(double x, double y) { return "[" + Number(x) + "," + Number(y) + "]"; }

std::string Site(const DiagramTables& tables, int row) {
  const double area = tables.cellArea.at(row);
  std::string text = "{\"x\":" + Number(tables.sites.siteX.at(row)) + ",\"y\":" + Number(tables.sites.siteY.at(row)) +
                     ",\"area\":" + Number(area) + ",\"label\":" + std::to_string(AreaLabelValue(area)) +
                     ",\"vertices\":[";
  for (int v = 0; v < tables.cells.VertexCount(row); ++v) {
    if (v > 0) text += ",";
    text += Point(tables.cells.X(row, v), tables.cells.Y(row, v));
  }
  return text + "]}";
}

std::string EdgeText(const DrawnEdge& e) {
  return "[" + std::to_string(e.i) + "," + std::to_string(e.k) + "," + Number(e.edge.x1) + "," + Number(e.edge.y1) +
         "," + Number(e.edge.x2) + "," + Number(e.edge.y2) + "]";
}

}  // namespace

void JsonReport::AddCycle(const DiagramTables& tables, const std::vector<DrawnEdge>& edges,
                          std::optional<CycleLook> look) {
  std::string text = "{\"siteCount\":" + std::to_string(tables.sites.siteCount);
  if (look) {
    text += ",\"colour\":[" + std::to_string(RedOf(look->colour)) + "," + std::to_string(GreenOf(look->colour)) + "," +
            std::to_string(BlueOf(look->colour)) + "],\"scaleBar\":" + Point(look->scaleBarLeft, look->scaleBarY);
  }
  text += ",\"sites\":[";
  for (int row = 0; row < tables.sites.siteCount; ++row) {
    if (row > 0) text += ",";
    text += Site(tables, row);
  }
  text += "],\"edges\":[";
  for (std::size_t e = 0; e < edges.size(); ++e) {
    if (e > 0) text += ",";
    text += EdgeText(edges[e]);
  }
  cycles_.push_back(text + "]}");
}

std::string JsonReport::Text() const {
  std::string text = "{\"width\":" + std::to_string(width_) + ",\"height\":" + std::to_string(height_) + ",\"cycles\":[";
  for (std::size_t c = 0; c < cycles_.size(); ++c) {
    if (c > 0) text += ",";
    text += cycles_[c];
  }
  return text + "]}\n";
}

}  // namespace pelmic::render
