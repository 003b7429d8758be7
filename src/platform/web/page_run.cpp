// SPDX-License-Identifier: MIT
#include "platform/web/page_run.h"

#include "platform/web/browser.h"
#include "shell/turn_slice.h"

namespace pelmic::web {

namespace {

std::string PictureTitle(std::uint64_t seed, const PictureSize& size) {
  return "Pelmic: seed " + std::to_string(seed) + ", " + std::to_string(size.width) + "x" +
         std::to_string(size.height);
}

}  // namespace

PageRun::PageRun(const PageOptions& options, PictureSize size, std::uint64_t seed)
    : cycles_(options.cycles), title_(PictureTitle(seed, size)), window_(size.width, size.height), random_(seed) {
  if (options.Reproducible()) browser::SetTitle(title_);
  cycle_ = DiagramCycles(window_.Surface(), random_, ScreenSize::OfPixels(size.width, size.height), this);
  cycle_.Resume();
}

bool PageRun::Turn() {
  window_.PumpEvents(*this);
  if (closeRequested_) return false;
  presentRule_.AfterEvents(window_);
  if (Finished()) {
    if (window_.Surface().HasChanges()) return true;
    browser::SetTitle(title_ + ", done");
    return false;
  }
  if (cycles_) {
    shell::ResumeForASlice(cycle_, [this] { return Finished(); });
  } else {
    cycle_.Resume();
  }
  return true;
}

}  // namespace pelmic::web
