// creation_steps.h - the seam through which a test makes the creation of SDL
// windows and framebuffers fail.
//
// Every window and window framebuffer this front end makes is made in a
// CreationStep. Normally the step just runs. A test may install a
// CreationWatch that sees everything made and may fail any step, as SDL does
// when the display refuses, to check that each error path gives back
// everything taken before it.
//
//   UniqueWindow window(CreationStep(Made::Window, [&] { return SDL_CreateWindow(...); }));
#pragma once

#include <SDL.h>

namespace pelmic::sdl {

enum class Made { Window, Framebuffer };

class CreationWatch {
 public:
  // False fails the step: it returns null without asking SDL, and SDL's
  // error says so.
  virtual bool MayCreate(Made what) = 0;
  virtual void Created(Made what, void* made) = 0;

 protected:
  ~CreationWatch() = default;
};

// nullptr (the default) lets every step run unwatched.
void SetCreationWatch(CreationWatch* watch);
CreationWatch* CurrentCreationWatch();

// What `create` returns, or null if the watch fails this step.
template <typename Create>
auto CreationStep(Made what, Create create) -> decltype(create()) {
  CreationWatch* watch = CurrentCreationWatch();
  if (watch == nullptr) return create();
  if (!watch->MayCreate(what)) {
    SDL_SetError("refused by the creation watch");
    return nullptr;
  }
  const auto made = create();
  if (made != nullptr) watch->Created(what, made);
  return made;
}

}  // namespace pelmic::sdl
