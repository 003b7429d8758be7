// SPDX-License-Identifier: MIT
#include "geometry/small_limbs.h"

namespace pelmic {

SmallLimbs& SmallLimbs::CopyFrom(const SmallLimbs& other) {
  Reserve(other.size_);
  std::copy_n(other.data(), other.size_, data());
  size_ = other.size_;
  return *this;
}

void SmallLimbs::Grow(std::size_t n) {
  const std::size_t capacity = std::max(n, 2 * capacity_);
  auto grown = std::make_unique<Limb[]>(capacity);
  std::copy_n(data(), size_, grown.get());
  heap_ = std::move(grown);
  capacity_ = capacity;
}

}  // namespace pelmic
