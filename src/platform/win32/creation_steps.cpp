#include "platform/win32/creation_steps.h"

namespace pelmic::win32 {

namespace {

CreationWatch* watch = nullptr;

}  // namespace

void SetCreationWatch(CreationWatch* newWatch) { watch = newWatch; }

CreationWatch* CurrentCreationWatch() { return watch; }

}  // namespace pelmic::win32
