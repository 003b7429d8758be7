// SPDX-License-Identifier: MIT
#include "held_memory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace pelmic::bench {

namespace {

// Shared memory, as /proc names its files: a mapping's path or an fd's link.
bool SharedMemory(const std::string& path) {
  return path.rfind("/memfd:", 0) == 0 || path.rfind("/SYSV", 0) == 0 || path.rfind("/dev/shm/", 0) == 0 ||
         path.rfind("/dev/zero", 0) == 0;
}

long StatusKib(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

// Inode to whole size in KiB, for every shared-memory object mapped: the
// Size line that follows each mapping's header in smaps.
void AddMapped(pid_t pid, std::map<ino_t, long>& objects) {
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  ino_t inode = 0;
  bool shared = false;
  for (std::string line; std::getline(smaps, line);) {
    if (line.rfind("Size:", 0) == 0) {
      if (shared) objects[inode] = std::max(objects[inode], std::stol(line.substr(5)));
      continue;
    }
    std::istringstream header(line);
    std::string range, perms, offset, device, path;
    unsigned long number = 0;
    // Field lines ("Rss:  12 kB") fail here; only a mapping's header reads whole.
    if (!(header >> range >> perms >> offset >> device >> number) || range.find('-') == std::string::npos) continue;
    std::getline(header >> std::ws, path);
    inode = static_cast<ino_t>(number);
    shared = SharedMemory(path);
  }
}

// Shared-memory objects kept open, by their whole size.
void AddOpen(pid_t pid, std::map<ino_t, long>& objects) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd/";
  DIR* fds = opendir(folder.c_str());
  if (fds == nullptr) return;
  while (const dirent* entry = readdir(fds)) {
    const std::string fd = folder + entry->d_name;
    char target[PATH_MAX];
    const ssize_t length = readlink(fd.c_str(), target, sizeof target - 1);
    struct stat file {};
    if (length <= 0 || !SharedMemory(std::string(target, static_cast<std::size_t>(length)))) continue;
    if (stat(fd.c_str(), &file) == 0) objects[file.st_ino] = std::max(objects[file.st_ino], file.st_size / 1024);
  }
  closedir(fds);
}

}  // namespace

long HeldKib(pid_t pid) {
  const long anonymous = StatusKib(pid, "RssAnon");
  const long file = StatusKib(pid, "RssFile");
  if (anonymous < 0 || file < 0) return -1;
  std::map<ino_t, long> objects;
  AddMapped(pid, objects);
  AddOpen(pid, objects);
  long held = anonymous + file;
  for (const auto& [inode, kib] : objects) held += kib;
  return held;
}

}  // namespace pelmic::bench
