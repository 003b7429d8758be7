// SPDX-License-Identifier: MIT
// pelmic-render - the saver's cycle without a screen.
//
//   pelmic-render --seed 7 --out pic.png            one cycle as the saver draws it
//   pelmic-render --seed 7 --cycles 3 --json -      three cycles reported as JSON
//   pelmic-render --sites sites.txt --size 800x600 --json cells.json
//
// Random cycles run through the very cycle code the saver runs, resumed by a
// loop of its own that lets every yield pass at once, so the pause passes in
// a moment. Bad input is
// reported on standard error with exit status 2, and nothing is written; a
// stop signal ends the run at the next yield, replacing nothing.
#include <chrono>
#include <iostream>
#include <memory>

#include "canvas/raster_canvas.h"
#include "cycle/diagram_cycle.h"
#include "cycle/site_cells.h"
#include "input_error.h"
#include "json_report.h"
#include "null_canvas.h"
#include "output_files.h"
#include "png_file.h"
#include "progress_line.h"
#include "render_options.h"
#include "sites_file.h"
#include "text/printable_text.h"
#include "stop_signals.h"

namespace pelmic::render {
namespace {

ScreenSize ScreenOf(const RenderOptions& options) { return ScreenSize::OfPixels(options.width, options.height); }

void RenderFixedSites(const RenderOptions& options) {
  const ScreenSize screen = ScreenOf(options);
  auto tables = std::make_unique<DiagramTables>();
  tables->sites = ReadSitesFile(*options.sitesFile, screen);
  std::vector<DrawnEdge> edges;
  BuildAllCells(*tables, screen, [&edges](int i, int k, const Edge& edge) { edges.push_back({i, k, edge}); });
  OutputSet outputs;
  JsonReport report(outputs.Open("--json", *options.jsonPath), options.width, options.height);
  report.AddCycle(*tables, edges, std::nullopt);
  report.Finish();
  if (StopSignal() == 0) outputs.Commit();
}

// Every numbered picture, each checked now, so that one that cannot be
// written is refused before any cycle runs. A stream has no name to number.
std::vector<OutputFile*> OpenPictures(const RenderOptions& options, OutputSet& outputs) {
  std::vector<OutputFile*> pictures;
  if (!options.pngPath) return pictures;
  if (options.cycles > 1 && NamesStream(*options.pngPath)) {
    throw InputError("--out " + Printable(*options.pngPath) +
                     " holds one picture: give --out a file name to number for --cycles above 1");
  }
  for (int cycle = 1; cycle <= options.cycles; ++cycle) {
    pictures.push_back(&outputs.Open("--out", NumberedPath(*options.pngPath, cycle, options.cycles)));
  }
  return pictures;
}

// Writes each finished picture and each cycle's report as it comes.
class RenderObserver final : public CycleObserver {
 public:
  RenderObserver(int cycles, std::vector<OutputFile*> pictures, const RasterCanvas* picture, JsonReport* report)
      : pictures_(std::move(pictures)), picture_(picture), report_(report), progress_(cycles) {}

  void OnEdgeDrawn(int i, int k, const Edge& edge) override {
    if (report_) edges_.push_back({i, k, edge});
  }

  void OnCycleDrawn(const CycleState& state) override {
    ++cyclesDone_;
    if (picture_) pictures_[static_cast<std::size_t>(cyclesDone_ - 1)]->Write(EncodePng(*picture_));
    if (report_) report_->AddCycle(state.tables, edges_, CycleLook{state.colour, state.scaleBarLeft, state.scaleBarY});
    edges_.clear();
    progress_.Update(cyclesDone_);
  }

  int CyclesDone() const { return cyclesDone_; }

 private:
  std::vector<OutputFile*> pictures_;  // one for each cycle
  const RasterCanvas* picture_;  // null when no picture is asked for
  JsonReport* report_;           // null when no report is asked for
  ProgressLine progress_;
  std::vector<DrawnEdge> edges_;
  int cyclesDone_ = 0;
};

void RenderRandomCycles(const RenderOptions& options) {
  std::uint64_t seed = 0;
  if (options.seed) {
    seed = *options.seed;
  } else {
    seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    std::cerr << "pelmic-render: seed " << seed << "\n";
  }
  OutputSet outputs;
  std::optional<JsonReport> report;
  OutputFile* json = options.jsonPath ? &outputs.Open("--json", *options.jsonPath) : nullptr;
  std::vector<OutputFile*> pictures = OpenPictures(options, outputs);
  if (json) report.emplace(*json, options.width, options.height);  // only once every output is checked
  // Pixels only for a picture: the report is the same without them.
  std::unique_ptr<RasterCanvas> picture;
  if (options.pngPath) picture = std::make_unique<RasterCanvas>(options.width, options.height);
  NullCanvas noPixels(options.width, options.height);
  Canvas& canvas = picture ? static_cast<Canvas&>(*picture) : noPixels;
  {
    RenderObserver observer(options.cycles, std::move(pictures), picture.get(), report ? &*report : nullptr);
    RandomSource random(seed);
    Steps cycle = DiagramCycles(canvas, random, ScreenOf(options), &observer);
    // The cycle stops in the pause after the last picture, or at a stop signal.
    while (observer.CyclesDone() < options.cycles && StopSignal() == 0) cycle.Resume();
  }
  if (StopSignal() != 0) return;  // nothing replaced; the temporaries go with `outputs`
  if (report) report->Finish();
  outputs.Commit();
}

int Run(const std::vector<std::string>& args) {
  try {
    const RenderOptions options = ParseOptions(args);
    if (options.showHelp || options.showVersion) {
      std::cout << (options.showVersion ? "pelmic-render " PELMIC_VERSION "\n" PELMIC_LICENSE_LINE "\n"
                                        : std::string(kUsage) + "\n" + kHelp);
      return std::cout.flush() ? 0 : 1;
    }
    if (options.sitesFile) {
      RenderFixedSites(options);
    } else {
      RenderRandomCycles(options);
    }
    return 0;
  } catch (const InputError& error) {
    std::cerr << "pelmic-render: " << error.what() << "\n" << kUsage;
    return 2;
  } catch (const CommitError& error) {  // said even when a stop cut the commit short
    std::cerr << "pelmic-render: " << error.what() << "\n";
    return 1;
  } catch (const std::exception& error) {
    // A write that a stop signal cut short is no failure to report.
    if (StopSignal() == 0) std::cerr << "pelmic-render: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace
}  // namespace pelmic::render

int main(int argc, char** argv) {
  using namespace pelmic::render;
  GuardStandardDescriptors();
  CatchStopSignals();
  const int status = Run(std::vector<std::string>(argv + 1, argv + argc));
  if (StopSignal() != 0) EndByStopSignal();
  return status;
}

