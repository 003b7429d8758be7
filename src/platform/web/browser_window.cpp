// SPDX-License-Identifier: MIT
#include "platform/web/browser_window.h"

#include "platform/web/browser.h"

namespace pelmic::web {

BrowserWindow::BrowserWindow(int width, int height) : canvas_(width, height), presenter_(browser::PutPixels) {
  browser::BeginPicture(width, height);
  // The page's canvas starts black, as the raster canvas does.
  canvas_.TakeDirtyRect();
}

void BrowserWindow::Hide() { browser::LeaveFullScreen(); }

void BrowserWindow::PumpEvents(shell::SaverInput& input) {
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

bool BrowserWindow::FrameReady() { return browser::TakeFrame(); }

}  // namespace pelmic::web
