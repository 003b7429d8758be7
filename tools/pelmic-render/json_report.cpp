// SPDX-License-Identifier: MIT
#include "json_report.h"

#include <array>
#include <charconv>

#include "area/area_label.h"

namespace pelmic::render {
namespace {

// Shortest text that reads back as the same double, so the report is exact.
void AppendNumber(std::string& out, double value) {
  std::array<char, 32> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  out.append(buffer.data(), end);
}

void AppendInteger(std::string& out, long long value) {
  std::array<char, 24> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  out.append(buffer.data(), end);
}

void AppendPoint(std::string& out, double x, double y) {
  out += '[';
  AppendNumber(out, x);
  out += ',';
  AppendNumber(out, y);
  out += ']';
}

void AppendSite(std::string& out, const DiagramTables& tables, int row) {
  const double area = tables.cellArea.at(row);
  out += "{\"x\":";
  AppendNumber(out, tables.sites.siteX.at(row));
  out += ",\"y\":";
  AppendNumber(out, tables.sites.siteY.at(row));
  out += ",\"area\":";
  AppendNumber(out, area);
  out += ",\"label\":";
  AppendInteger(out, AreaLabelValue(area));
  out += ",\"vertices\":[";
  for (int v = 0; v < tables.cells.VertexCount(row); ++v) {
    if (v > 0) out += ',';
    AppendPoint(out, tables.cells.X(row, v), tables.cells.Y(row, v));
  }
  out += "]}";
}

void AppendEdge(std::string& out, const DrawnEdge& e) {
  out += '[';
  AppendInteger(out, e.i);
  out += ',';
  AppendInteger(out, e.k);
  for (double value : {e.edge.x1, e.edge.y1, e.edge.x2, e.edge.y2}) {
    out += ',';
    AppendNumber(out, value);
  }
  out += ']';
}

}  // namespace

JsonReport::JsonReport(OutputFile& out, int width, int height) : out_(out) {
  std::string text = "{\"width\":";
  AppendInteger(text, width);
  text += ",\"height\":";
  AppendInteger(text, height);
  text += ",\"cycles\":[";
  out_.Write(text);
}

void JsonReport::AddCycle(const DiagramTables& tables, const std::vector<DrawnEdge>& edges,
                          std::optional<CycleLook> look) {
  std::string out = firstCycle_ ? "" : ",";
  firstCycle_ = false;
  out += "{\"siteCount\":";
  AppendInteger(out, tables.sites.siteCount);
  if (look) {
    out += ",\"colour\":[";
    AppendInteger(out, RedOf(look->colour));
    out += ',';
    AppendInteger(out, GreenOf(look->colour));
    out += ',';
    AppendInteger(out, BlueOf(look->colour));
    out += "],\"scaleBar\":";
    AppendPoint(out, look->scaleBarLeft, look->scaleBarY);
  }
  out += ",\"sites\":[";
  for (int row = 0; row < tables.sites.siteCount; ++row) {
    if (row > 0) out += ',';
    AppendSite(out, tables, row);
  }
  out += "],\"edges\":[";
  for (std::size_t e = 0; e < edges.size(); ++e) {
    if (e > 0) out += ',';
    AppendEdge(out, edges[e]);
  }
  out += "]}";
  out_.Write(out);
}

void JsonReport::Finish() { out_.Write("]}\n"); }

}  // namespace pelmic::render
