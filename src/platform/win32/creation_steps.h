// creation_steps.h - the creation seam (shell/creation_seam.h) for windows
// and GDI objects.
//
//   UniqueFont font(CreationStep(HandleKind::GdiObject, [&] { return CreateFontIndirectW(&logFont); }));
#pragma once

#include "shell/creation_seam.h"

namespace pelmic::win32 {

enum class HandleKind { Window, GdiObject };

using CreationWatch = shell::CreationWatch<HandleKind>;

inline void SetCreationWatch(CreationWatch* watch) { shell::CreationSeam<HandleKind>::SetWatch(watch); }

// What `create` returns, or nullptr if the watch fails this step.
template <typename Create>
auto CreationStep(HandleKind kind, Create create) -> decltype(create()) {
  return shell::CreationSeam<HandleKind>::Step(kind, create, [] {});
}

}  // namespace pelmic::win32
