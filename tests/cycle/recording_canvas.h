// SPDX-License-Identifier: MIT
// recording_canvas.h - a canvas that remembers what was asked of it.
#pragma once

#include <string>
#include <vector>

#include "cycle/canvas.h"

namespace pelmic::testing {

class RecordingCanvas final : public Canvas {
 public:
  struct LineCall {
    float x1, y1, x2, y2;
  };
  struct CircleCall {
    float x, y, radius;
    ColourValue colour;
  };

  void Line(float x1, float y1, float x2, float y2) override {
    lines.push_back({x1, y1, x2, y2});
    log.push_back("Line");
  }
  void Circle(float x, float y, float radius) override {
    circles.push_back({x, y, radius, colour_});
    log.push_back("Circle");
  }
  void PSet(float x, float y) override {
    points.push_back({x, y, x, y});
    log.push_back("PSet");
  }
  void Cls() override {
    ++clears;
    log.push_back("Cls");
  }
  void SetForeColor(ColourValue colour) override { colour_ = colour; }
  ColourValue ForeColor() const override { return colour_; }
  void SetFontSize(int size) override { log.push_back("FontSize " + std::to_string(size)); }

  std::vector<LineCall> lines;
  std::vector<CircleCall> circles;
  std::vector<LineCall> points;
  std::vector<std::string> texts;  // each DrawText, "\n" for an end of line
  std::vector<std::string> log;
  int clears = 0;

 protected:
  void DrawText(std::string_view utf8) override {
    texts.emplace_back(utf8);
    log.push_back("Text " + std::string(utf8));
  }
  void EndOfLine() override {
    texts.emplace_back("\n");
    log.push_back("EndOfLine");
  }

 private:
  ColourValue colour_ = 0;
};

}  // namespace pelmic::testing
