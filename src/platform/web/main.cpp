// SPDX-License-Identifier: MIT
// pelmic.js - the Voronoi screen saver on a web page.
//
//   index.html                              the cycle at the window's size; F or the
//                                           button: the saver, full screen
//   index.html?seed=7&size=800x600&cycles=3 the renderer's third picture, then "done"
//
// The page (page.js) decides what is wanted - a picture in the window, or the
// saver in full screen - and this loop draws it with the same cycle and the
// same raster canvas as every other front end.
#include <exception>
#include <new>
#include <string>

#include "cycle/diagram_cycle.h"
#include "platform/web/browser.h"
#include "platform/web/browser_window.h"
#include "platform/web/page_options.h"
#include "platform/web/page_run.h"
#include "platform/web/web_platform.h"
#include "shell/saver_session.h"

namespace pelmic::web {
namespace {

std::string PictureTitle(std::uint64_t seed, int width, int height) {
  return "Pelmic: seed " + std::to_string(seed) + ", " + std::to_string(width) + "x" + std::to_string(height);
}

// The picture in the page's window (or at the asked-for size), until the page
// wants another or the asked-for cycles are drawn.
void RunOnPage(const PageOptions& options, const browser::RunRequest& request) {
  const int width = options.size ? options.size->width : request.width;
  const int height = options.size ? options.size->height : request.height;
  const std::uint64_t seed = options.seed.value_or(ClockSeed());
  const std::string title = PictureTitle(seed, width, height);
  if (options.Reproducible()) browser::SetTitle(title);

  BrowserWindow window(width, height, options.cycles ? Pacing::Sliced : Pacing::EveryYield);
  PageRun run(window, options.cycles);
  RandomSource random(seed);
  RunDiagramCycles(window.Surface(), run, random, shell::MeasureScreen(window.Surface()), &run);
  if (run.Finished()) {
    window.FinishPresenting();
    browser::SetTitle(title + ", done");
  }
}

// The message must not stay hidden behind a full-screen canvas.
void Stop(const std::string& message) {
  browser::LeaveFullScreen();
  browser::ShowError(message);
}

void RunPictures(const PageOptions& options) {
  for (;;) {
    const browser::RunRequest request = browser::WaitForRun();
    if (request.kind == browser::RunKind::Saver) {
      WebPlatform platform(request.width, request.height);
      shell::RunSaver(platform);
    } else {
      RunOnPage(options, request);
    }
  }
}

}  // namespace
}  // namespace pelmic::web

int main() {
  using namespace pelmic::web;
  const ParsedPageOptions parsed = ParsePageOptions(browser::UrlParameter);
  if (!parsed.error.empty()) {
    browser::ShowError(parsed.error);
    return 0;
  }
  if (parsed.options.Reproducible()) browser::EnterReproducibleMode();
  try {
    RunPictures(parsed.options);
  } catch (const std::bad_alloc&) {
    Stop("not enough memory for a picture of this size");
  } catch (const std::exception& error) {
    Stop(std::string("stopped: ") + error.what());
  }
  return 0;
}
