// SPDX-License-Identifier: MIT
// random_source.h - Rnd and Randomize.
//
// Uniform in [0, 1) with 24-bit resolution, so every value is exact as a
// float and 1 is never returned. The generator is our own (PCG32) rather than
// a standard distribution so that a seed gives the same pictures on every
// compiler and platform.
#pragma once

#include <cstdint>

namespace pelmic {

class RandomSource {
 public:
  explicit RandomSource(std::uint64_t seed = 0) { Randomize(seed); }
  virtual ~RandomSource() = default;

  // Restarts the sequence from `seed`; the saver passes the system timer.
  void Randomize(std::uint64_t seed);
  // The next value, k / 2^24 for some k in 0 .. 2^24 - 1.
  virtual float Rnd();

 private:
  std::uint32_t NextBits();
  std::uint64_t state_ = 0;
  std::uint64_t increment_ = 0;
};

}  // namespace pelmic
