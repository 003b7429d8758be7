// SPDX-License-Identifier: MIT
// single_instance.h - one running copy per user and display, without files.
//
// The token is an abstract Unix socket (Linux's abstract namespace: nothing
// appears in the file system and the kernel drops the name when the process
// ends, however it ends, so no stale lock can survive a crash).
//
//   SingleInstanceToken token;
//   if (!token.Claim(SingleInstanceToken::NameForThisSession())) return 0;
#pragma once

#include <string>

namespace pelmic::linux_desktop {

class SingleInstanceToken {
 public:
  SingleInstanceToken() = default;
  ~SingleInstanceToken();
  SingleInstanceToken(const SingleInstanceToken&) = delete;
  SingleInstanceToken& operator=(const SingleInstanceToken&) = delete;

  // Binds the name. False when another process holds it. Any other failure
  // (no sockets at all) counts as "no other copy": better a second saver
  // than none. Repeated calls after a successful claim return true.
  bool Claim(const std::string& name);
  bool Held() const { return fd_ >= 0; }

  // "pelmic-<uid>-<display>": a user's copies on one display exclude each
  // other; a second login session on another display runs its own saver.
  static std::string NameForThisSession();

 private:
  int fd_ = -1;
};

}  // namespace pelmic::linux_desktop
