// SPDX-License-Identifier: MIT
// host.h - what the diagram cycle needs from whoever runs it.
//
// The framework owns the event loop; the cycle only draws and, once per
// ordered pair of sites and once per pause round, yields through DoEvents and
// then looks at the quit flag. The saver window, the headless renderer and
// the tests each provide their own host.
#pragma once

#include <cstdint>

namespace pelmic {

// The saver's quit flag: 0 keep running, -1 stop.
constexpr std::int16_t kKeepRunning = 0;
constexpr std::int16_t kQuitRequested = -1;

class Host {
 public:
  virtual ~Host() = default;
  // Runs all pending window events (the input handlers may set the quit flag).
  virtual void DoEvents() = 0;
  virtual std::int16_t QuitFlag() const = 0;
};

}  // namespace pelmic
