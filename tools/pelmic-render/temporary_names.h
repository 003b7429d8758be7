// SPDX-License-Identifier: MIT
// temporary_names.h - the names of a run's temporaries, and their removal from
// a signal handler.
//
// Every temporary is `.pelmic-render-PID-N.partial` in one of a few folders,
// N counting up from 0 for the whole process, so that a handler can remove
// them all with nothing but unlink(): no allocation, no lock, no list to walk.
//
//   const std::string name = NewTemporaryName("out/");  // "out/.pelmic-render-4711-0.partial"
//   ... in a signal handler: RemoveEveryTemporary();
#pragma once

#include <string>

namespace pelmic::render {

// A name not used before by this process, in `folder` ("" for the current
// one, else ending in a separator).
std::string NewTemporaryName(const std::string& folder);

// Removes every temporary named so far that still exists. Async-signal-safe.
void RemoveEveryTemporary();

}  // namespace pelmic::render
