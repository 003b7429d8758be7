// SPDX-License-Identifier: MIT
// creation_steps.h - the creation seam (shell/creation_seam.h) for windows
// and GDI objects.
//
//   UniqueFont font(CreationStep(Made::GdiObject, [&] { return CreateFontIndirectW(&logFont); }));
#pragma once

#include "shell/creation_seam.h"

namespace pelmic::win32 {

enum class Made { Window, GdiObject };

using CreationWatch = shell::CreationWatch<Made>;

#ifdef PELMIC_TEST_HOOKS
inline void SetCreationWatch(CreationWatch* watch) { shell::CreationSeam<Made>::SetWatch(watch); }
#endif

// What `create` returns, or nullptr if the watch fails this step.
template <typename Create>
auto CreationStep(Made kind, Create create) -> decltype(create()) {
  return shell::CreationSeam<Made>::Step(kind, create, [] {});
}

}  // namespace pelmic::win32
