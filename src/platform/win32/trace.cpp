// SPDX-License-Identifier: MIT
#include "platform/win32/trace.h"

#include <windows.h>

#include <string>

namespace pelmic::win32 {

namespace {

bool TraceEnabled() {
  static const bool enabled = GetEnvironmentVariableW(L"PELMIC_TRACE", nullptr, 0) > 0;
  return enabled;
}

}  // namespace

void Trace(std::string_view kind, std::string_view text) {
  if (!TraceEnabled()) return;
  // A GUI program normally has no standard error; then this writes nothing.
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  std::string line = "pelmic-trace ";
  line.append(kind).append(": ").append(text).append("\n");
  DWORD written = 0;
  WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace pelmic::win32
