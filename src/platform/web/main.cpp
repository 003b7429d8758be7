// SPDX-License-Identifier: MIT
// pelmic.js - the Voronoi screen saver on a web page.
//
//   index.html                              the cycle at the window's size; F or the
//                                           button: the saver, full screen
//   index.html?seed=7&size=800x600&cycles=3 the renderer's third picture, then "done"
//
// The page (page.js) decides what is wanted - a picture in the window, or the
// saver in full screen - and calls pelmic_turn once per turn of its event
// loop; each call is one turn of the loop that draws it, with the same cycle
// and the same raster canvas as every other front end. Between calls the
// program's state stays here: waiting for the page to want a run, a saver
// session, or the page's picture.
#include <emscripten/emscripten.h>

#include <exception>
#include <new>
#include <optional>
#include <string>

#include "cycle/random_source.h"
#include "platform/web/browser.h"
#include "platform/web/page_options.h"
#include "platform/web/page_run.h"
#include "platform/web/web_platform.h"
#include "shell/saver_session.h"

namespace pelmic::web {
namespace {

class PageProgram {
 public:
  explicit PageProgram(const PageOptions& options) : options_(options) {}

  // One turn of the run at hand, or the start of the one the page wants
  // next; false when there is nothing to do until it wants one.
  bool Turn() {
    if (saver_ && saver_->Turn()) return true;
    if (picture_ && picture_->Turn()) return true;
    saver_.reset();
    picture_.reset();
    const std::optional<browser::RunRequest> request = browser::TakeRun();
    if (!request) return false;
    // Started in the turn that takes the request, before any input can
    // come in between.
    if (request->kind == browser::RunKind::Saver) {
      platform_.emplace(request->width, request->height);
      saver_.emplace(*platform_, random_);
      return saver_->Turn();
    }
    const PictureSize window{request->width, request->height};
    picture_.emplace(options_, options_.size.value_or(window), options_.seed.value_or(ClockSeed()));
    return true;
  }

 private:
  PageOptions options_;
  // The saver in full screen, as RunSaver runs it.
  std::optional<WebPlatform> platform_;
  RandomSource random_;
  std::optional<shell::SaverSession> saver_;
  std::optional<PageRun> picture_;
};

std::optional<PageProgram> program;

// Every run ended (the saver's settings put back) before the page shows
// the message, which must not stay hidden behind a full-screen canvas.
void Stop(const std::string& message) {
  program.reset();
  browser::LeaveFullScreen();
  browser::ShowError(message);
}

}  // namespace
}  // namespace pelmic::web

// The page's call, once per turn of its event loop: 1 while the program has
// work, 0 when it has none until the page wants a picture. An error stops the
// program for good.
extern "C" EMSCRIPTEN_KEEPALIVE int pelmic_turn() {
  using namespace pelmic::web;
  if (!program) return 0;
  try {
    return program->Turn() ? 1 : 0;
  } catch (const std::bad_alloc&) {
    Stop("not enough memory for a picture of this size");
  } catch (const std::exception& error) {
    Stop(std::string("stopped: ") + error.what());
  }
  return 0;
}

int main() {
  using namespace pelmic::web;
  const ParsedPageOptions parsed = ParsePageOptions(browser::UrlParameter);
  if (!parsed.error.empty()) {
    browser::ShowError(parsed.error);
    return 0;
  }
  if (parsed.options.Reproducible()) browser::EnterReproducibleMode();
  program.emplace(parsed.options);
  return 0;
}
