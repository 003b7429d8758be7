// SPDX-License-Identifier: MIT
#include "platform/linux/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace pelmic::linux_desktop {

namespace {

// ":0" and ":0.1" are the same display, so the same session.
std::string WithoutScreenNumber(std::string display) {
  const std::size_t colon = display.rfind(':');
  const std::size_t dot = display.find('.', colon == std::string::npos ? 0 : colon);
  if (colon != std::string::npos && dot != std::string::npos) display.erase(dot);
  return display;
}

}  // namespace

SingleInstanceToken::~SingleInstanceToken() {
  if (fd_ >= 0) ::close(fd_);
}

bool SingleInstanceToken::Claim(const std::string& name) {
  if (fd_ >= 0) return true;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // Abstract namespace: a leading NUL, then the name without a terminator.
  const std::size_t length = std::min(name.size(), sizeof(address.sun_path) - 1);
  std::memcpy(address.sun_path + 1, name.data(), length);
  const auto addressLength = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);

  // CLOEXEC: a child process must not keep the token alive after we end.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), addressLength) != 0) {
    const int error = errno;
    ::close(fd);
    return error != EADDRINUSE;
  }
  fd_ = fd;  // held until the process ends
  return true;
}

std::string SingleInstanceToken::NameForThisSession() {
  std::string name = "pelmic-" + std::to_string(::getuid());
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') display = std::getenv("WAYLAND_DISPLAY");
  if (display != nullptr && *display != '\0') {
    name += '-';
    name += WithoutScreenNumber(display);
  }
  return name;
}

}  // namespace pelmic::linux_desktop
