// SPDX-License-Identifier: MIT
/* qemu-mmap-shim.c: preloaded into 32-bit wine when it runs under qemu-i386
 * (see wine-run.sh). qemu 7.2 treats mmap's MAP_FIXED_NOREPLACE as a hint
 * and may hand back another address; wine then keeps reserving stray blocks,
 * some 66,000 calls and over a minute per start. The kernel's contract is
 * the requested address or EEXIST, and this restores it.
 *
 * Built with -DPELMIC_EMPTY_SHIM it is an empty library, preloaded into the
 * 64-bit programs of the same process tree, which would otherwise warn that
 * the 32-bit one cannot be loaded. */
#ifndef PELMIC_EMPTY_SHIM
#define _GNU_SOURCE
#include <errno.h>
#include <stdint.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

static void *map_pages(void *addr, size_t len, int prot, int flags, int fd, uint64_t offset) {
  if (offset & 4095) {
    errno = EINVAL;
    return MAP_FAILED;
  }
  /* mmap2 counts the offset in pages; syscall() sets errno on failure. */
  return (void *)syscall(SYS_mmap2, addr, len, prot, flags, fd, (unsigned long)(offset >> 12));
}

static void *map_no_replace(void *addr, size_t len, int prot, int flags, int fd, uint64_t offset) {
  void *mapped = map_pages(addr, len, prot, flags, fd, offset);
  const int noReplace = (flags & MAP_FIXED_NOREPLACE) && !(flags & MAP_FIXED);
  if (noReplace && mapped != MAP_FAILED && mapped != addr) {
    syscall(SYS_munmap, mapped, len);
    errno = EEXIST;
    return MAP_FAILED;
  }
  return mapped;
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, off_t offset) {
  return map_no_replace(addr, len, prot, flags, fd, (uint64_t)(uint32_t)offset);
}

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t offset) {
  return map_no_replace(addr, len, prot, flags, fd, (uint64_t)offset);
}
#endif
