// SPDX-License-Identifier: MIT
#include "temporary_names.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace pelmic::render {
namespace {

// A run writes to at most three folders: the picture's, the report's and,
// for a target whose own folder cannot be written, the system's temporary one.
constexpr int kMaxFolders = 8;
constexpr std::size_t kMaxFolderChars = 4096;

char gFolders[kMaxFolders][kMaxFolderChars];
std::atomic<int> gFolderCount{0};
std::atomic<unsigned> gNamesGiven{0};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<unsigned>::is_always_lock_free);

// Appends `text` at `out`, never past `end`; returns where it stopped.
char* Append(char* out, const char* end, const char* text) {
  while (*text != '\0' && out < end) *out++ = *text++;
  return out;
}

char* AppendNumber(char* out, const char* end, unsigned long value) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0 && out < end) *out++ = digits[--count];
  return out;
}

// Writes the name of temporary `serial` in `folder` into `out`, as a C string;
// the same text as NewTemporaryName's, built without allocating.
void FormatName(char (&out)[kMaxFolderChars + 64], const char* folder, unsigned serial) {
  const char* end = out + sizeof out - 1;
  char* at = Append(out, end, folder);
  at = Append(at, end, ".pelmic-render-");
  at = AppendNumber(at, end, static_cast<unsigned long>(::getpid()));
  at = Append(at, end, "-");
  at = AppendNumber(at, end, serial);
  at = Append(at, end, ".partial");
  *at = '\0';
}

// Makes `folder` one the removal looks in, while there is room for it.
void Register(const std::string& folder) {
  const int count = gFolderCount.load();
  for (int f = 0; f < count; ++f) {
    if (folder == gFolders[f]) return;
  }
  if (count == kMaxFolders || folder.size() >= kMaxFolderChars) return;  // too many to hold: left to the unwinding
  std::memcpy(gFolders[count], folder.c_str(), folder.size() + 1);
  gFolderCount.store(count + 1);
}

}  // namespace

std::string NewTemporaryName(const std::string& folder) {
  Register(folder);
  char name[kMaxFolderChars + 64];
  FormatName(name, "", gNamesGiven.fetch_add(1));
  return folder + name;
}

void RemoveEveryTemporary() {
  const unsigned given = gNamesGiven.load();
  const int folders = gFolderCount.load();
  char name[kMaxFolderChars + 64];
  for (int f = 0; f < folders; ++f) {
    for (unsigned serial = 0; serial < given; ++serial) {
      FormatName(name, gFolders[f], serial);
      ::unlink(name);
    }
  }
}

}  // namespace pelmic::render
