// SPDX-License-Identifier: MIT
#include "platform/web/browser_window.h"

#include "platform/web/browser.h"

namespace pelmic::web {

namespace {

// Sliced pacing: the longest stretch between turns, and how many yields pass
// between looks at the clock (a look is a call out to JavaScript).
constexpr std::chrono::milliseconds kSlice{8};
constexpr int kYieldsPerClockLook = 1024;

void DispatchInput(shell::SaverInput& input) {
  for (;;) {
    const browser::InputEvent event = browser::TakeInput();
    switch (event.kind) {
      case browser::InputKind::None:
        return;
      case browser::InputKind::Key:
        input.Form_KeyDown();
        break;
      case browser::InputKind::Click:
        input.Form_Click();
        break;
      case browser::InputKind::PointerMove:
        input.Form_MouseMove(event.x, event.y);
        break;
      case browser::InputKind::Close:
        input.CloseRequested();
        break;
    }
  }
}

}  // namespace

BrowserWindow::BrowserWindow(int width, int height, Pacing pacing)
    : canvas_(width, height), presenter_(browser::PutPixels), pacing_(pacing),
      lastTurn_(std::chrono::steady_clock::now()) {
  browser::BeginPicture(width, height);
  // The page's canvas starts black, as the raster canvas does.
  canvas_.TakeDirtyRect();
}

void BrowserWindow::Hide() { browser::LeaveFullScreen(); }

void BrowserWindow::DoEvents(shell::SaverInput& input) {
  if (!TurnDue()) return;
  browser::YieldTurn();
  DispatchInput(input);
  if (browser::TakeFrame()) presenter_.PresentSome(canvas_);
}

bool BrowserWindow::TurnDue() {
  if (pacing_ == Pacing::EveryYield) return true;
  if (++yieldsSinceClockLook_ < kYieldsPerClockLook) return false;
  yieldsSinceClockLook_ = 0;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastTurn_ < kSlice) return false;
  lastTurn_ = now;
  return true;
}

void BrowserWindow::FinishPresenting() {
  presenter_.PresentSome(canvas_);
  while (presenter_.Pending()) {
    browser::YieldTurn();
    presenter_.PresentSome(canvas_);
  }
}

}  // namespace pelmic::web
