#include "platform/linux/embedded/embedded_window.h"

#include <algorithm>

#include "platform/linux/creation_steps.h"

namespace pelmic::sdl {

namespace {

// The one window watched; X errors reach a plain function.
LossWatch* watched = nullptr;

bool ExplainedByLoss(const X11Error& error) { return watched != nullptr && watched->Explains(error); }

}  // namespace

void LossWatch::NoteMade(X11WindowId first, X11WindowId last) {
  if (first >= last) return;
  madeAfter_ = std::min(madeAfter_, first);
  madeBefore_ = std::max(madeBefore_, last);
}

bool LossWatch::Explains(const X11Error& error) {
  if (error.resource == window_ && error.noSuchWindow) lost_ = true;
  if (!lost_) return false;
  return error.resource == window_ || (error.resource > madeAfter_ && error.resource < madeBefore_);
}

std::unique_ptr<EmbeddedWindow> EmbeddedWindow::LookUp(const DrawTarget& target, std::string& error) {
  const std::optional<X11WindowId> id = LookUpWindow(target, error);
  if (!id) return nullptr;
  return std::unique_ptr<EmbeddedWindow>(new EmbeddedWindow(*id));
}

EmbeddedWindow::EmbeddedWindow(X11WindowId id) : watch_(id) {
  // Before SDL opens the display: its first requests about the window may
  // already find it gone.
  watched = &watch_;
  FilterX11Errors(ExplainedByLoss);
}

EmbeddedWindow::~EmbeddedWindow() {
  FilterX11Errors(nullptr);
  watched = nullptr;
}

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

SDL_Surface* EmbeddedWindow::MakeSurface(SDL_Window* window) {
  // SDL makes the framebuffer's graphics context and shared-memory segment
  // here; their ids lie between these two.
  const X11WindowId before = NextX11Id(window);
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  watch_.NoteMade(before, NextX11Id(window));
  return surface;
}

void EmbeddedWindow::Notice(const SDL_Event& event) {
  if (event.type == SDL_SYSWMEVENT && IsDestroyOf(*event.syswm.msg, Id())) watch_.MarkLost();
}

}  // namespace pelmic::sdl
