#include "platform/sdl/creation_steps.h"

namespace pelmic::sdl {

namespace {

CreationWatch* watch = nullptr;

}  // namespace

void SetCreationWatch(CreationWatch* newWatch) { watch = newWatch; }

CreationWatch* CurrentCreationWatch() { return watch; }

}  // namespace pelmic::sdl
