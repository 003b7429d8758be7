// SPDX-License-Identifier: MIT
// held_memory.h - the memory a process holds, counted so that frame buffers
// shared with a display server cannot hide.
//
//   const long kib = HeldKib(pid);  // -1 when the process cannot be read
//
// Resident memory alone misses shared memory: pages of a buffer that only
// the server has touched, or a buffer kept open but not mapped. So the count
// is the process's own resident pages (anonymous and file-backed) plus the
// whole size of every shared-memory object it maps or keeps open (memfd,
// System V, /dev/shm), each once, written or not.
#pragma once

#include <sys/types.h>

namespace pelmic::bench {

long HeldKib(pid_t pid);

}  // namespace pelmic::bench
