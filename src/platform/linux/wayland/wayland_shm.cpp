// SPDX-License-Identifier: MIT
#include "platform/linux/wayland/wayland_shm.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace pelmic::linux_desktop {

namespace {

constexpr wl_buffer_listener kBufferListener{ShmBuffer::OnRelease};

[[noreturn]] void ThrowSystemError(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

// Closes a file descriptor when the scope ends, however it ends.
class FileCloser {
 public:
  explicit FileCloser(int fd) : fd_(fd) {}
  ~FileCloser() { ::close(fd_); }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  int fd_;
};

}  // namespace

ShmBuffer::ShmBuffer(wl_shm* shm, int width, int height, wl_event_queue* queue)
    : width_(width), height_(height), bytes_(static_cast<std::size_t>(width) * height * sizeof(std::uint32_t)) {
  const int fd = memfd_create("pelmic-frame", MFD_CLOEXEC);
  if (fd < 0) ThrowSystemError("memfd_create");
  const FileCloser closer(fd);
  // A new file reads as zeros, black in XRGB8888, without a page written.
  if (ftruncate(fd, static_cast<off_t>(bytes_)) != 0) ThrowSystemError("ftruncate");
  void* mapped = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (mapped == MAP_FAILED) ThrowSystemError("mmap");
  pixels_ = static_cast<std::uint32_t*>(mapped);
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes_));
  buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, width * static_cast<int>(sizeof(std::uint32_t)),
                                      WL_SHM_FORMAT_XRGB8888);
  // The buffer keeps the pool's memory; the pool object itself is done.
  wl_shm_pool_destroy(pool);
  if (queue != nullptr) wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(buffer_), queue);
  wl_buffer_add_listener(buffer_, &kBufferListener, this);
}

ShmBuffer::~ShmBuffer() {
  wl_buffer_destroy(buffer_);
  munmap(pixels_, bytes_);
}

void ShmBuffer::AttachTo(wl_surface* surface) {
  wl_surface_attach(surface, buffer_, 0, 0);
  busy_ = true;
}

void ShmBuffer::OnRelease(void* self, wl_buffer*) { static_cast<ShmBuffer*>(self)->busy_ = false; }

}  // namespace pelmic::linux_desktop
