// SPDX-License-Identifier: MIT
#include "platform/linux/embedded/embedded_window.h"

#include "platform/linux/creation_steps.h"

namespace pelmic::linux_desktop {

bool LossWatch::Explains(const X11Error& error) {
  if (error.resource == window_ && error.noSuchWindow) lost_ = true;
  if (!lost_) return false;
  return error.resource == window_ || error.ownResource;
}

std::unique_ptr<EmbeddedWindow> EmbeddedWindow::LookUp(const DrawTarget& target, std::string& error) {
  const std::optional<X11WindowId> id = LookUpWindow(target, error);
  if (!id) return nullptr;
  return std::unique_ptr<EmbeddedWindow>(new EmbeddedWindow(*id));
}

// The filter is in force before SDL opens the display: its first requests
// about the window may already find it gone.
EmbeddedWindow::EmbeddedWindow(X11WindowId id)
    : watch_(id), filter_([this](const X11Error& error) { return watch_.Explains(error); }) {}

UniqueWindow EmbeddedWindow::Adopt() {
  UniqueWindow window(
      CreationStep(Made::Window, [&] { return SDL_CreateWindowFrom(reinterpret_cast<const void*>(Id())); }));
  if (window) WatchForeignWindow(window.get());
  // SDL does not check its look at the window: gone, it would leave the
  // size and visual unset. Nothing may use them.
  if (Lost()) throw WindowGone("the window " + FormatWindowId(Id()) + " went away before it could be drawn into");
  if (!window) throw std::runtime_error(std::string("SDL_CreateWindowFrom: ") + SDL_GetError());
  // Each X event then arrives as an SDL event too: the only way to hear the
  // window's destruction from SDL's queue.
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  return window;
}

void EmbeddedWindow::Notice(const SDL_Event& event) {
  if (event.type == SDL_SYSWMEVENT && IsDestroyOf(*event.syswm.msg, Id())) watch_.MarkLost();
}

}  // namespace pelmic::linux_desktop
