// SPDX-License-Identifier: MIT
#include "cycle/random_source.h"

namespace pelmic {

// PCG32 (O'Neill's XSH-RR output on a 64-bit LCG): small, fast, and good
// enough that 24-bit slices of it are uniform.
void RandomSource::Randomize(std::uint64_t seed) {
  state_ = 0;
  increment_ = (seed << 1u) | 1u;
  NextBits();
  state_ += 0x853c49e6748fea9bULL ^ seed;
  NextBits();
}

std::uint32_t RandomSource::NextBits() {
  std::uint64_t old = state_;
  state_ = old * 6364136223846793005ULL + increment_;
  auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
  auto rot = static_cast<std::uint32_t>(old >> 59u);
  return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

float RandomSource::Rnd() {
  constexpr float kScale = 1.0f / 16777216.0f;  // 2^-24
  return static_cast<float>(NextBits() >> 8) * kScale;
}

}  // namespace pelmic
