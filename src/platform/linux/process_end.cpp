// SPDX-License-Identifier: MIT
#include "platform/linux/process_end.h"

#include <cstdio>
#include <cstdlib>

namespace pelmic::linux_desktop {

namespace {

bool endsAfterSaver = false;
bool screenGivenBack = false;

}  // namespace

void EndProgramWhenScreenGivenBack() { endsAfterSaver = true; }

void MarkScreenGivenBack() { screenGivenBack = true; }

bool ScreenGivenBack() { return endsAfterSaver && screenGivenBack; }

void EndProgramNow(int status) {
  // As a normal exit does, a failed write leaves the status as it is.
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace pelmic::linux_desktop
