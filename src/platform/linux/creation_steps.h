// SPDX-License-Identifier: MIT
// creation_steps.h - the creation seam (shell/creation_seam.h) for SDL
// windows and framebuffers.
//
//   UniqueWindow window(CreationStep(Made::Window, [&] { return SDL_CreateWindow(...); }));
#pragma once

#include <SDL.h>

#include "shell/creation_seam.h"

namespace pelmic::linux_desktop {

enum class Made { Window, Framebuffer };

using CreationWatch = shell::CreationWatch<Made>;

#ifdef PELMIC_TEST_HOOKS
inline void SetCreationWatch(CreationWatch* watch) { shell::CreationSeam<Made>::SetWatch(watch); }
#endif

// What `create` returns, or null, with SDL's error saying so, if the watch
// fails this step.
template <typename Create>
auto CreationStep(Made what, Create create) -> decltype(create()) {
  return shell::CreationSeam<Made>::Step(what, create, [] { SDL_SetError("refused by the creation watch"); });
}

}  // namespace pelmic::linux_desktop
