// SPDX-License-Identifier: MIT
// small_limbs.h - the digits of a BigInteger: a few held inline, more on the
// heap. The exact path's numbers are mostly a few limbs long, and a heap
// allocation for each would cost more than the arithmetic.
#pragma once

#include <algorithm>
#include <array>
#include <utility>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace pelmic {

// A digit of a BigInteger: 64 bits on 64-bit targets whose compiler has
// 128-bit products, else 32, with the type that holds a product of two.
#if defined(__SIZEOF_INT128__) && UINTPTR_MAX > 0xFFFFFFFFu
using Limb = std::uint64_t;
__extension__ typedef unsigned __int128 LimbProduct;
#else
using Limb = std::uint32_t;
using LimbProduct = std::uint64_t;
#endif
inline constexpr int kLimbBits = 8 * sizeof(Limb);

class SmallLimbs {
 public:
  SmallLimbs() = default;
  explicit SmallLimbs(std::size_t n) { assign(n, 0); }
  SmallLimbs(const SmallLimbs& other) { *this = other; }
  SmallLimbs& operator=(const SmallLimbs& other) {
    if (this == &other) return *this;
    // Short numbers, the most of them, copy their inline limbs whole.
    if (heap_ || other.heap_) return CopyFrom(other);
    inline_ = other.inline_;
    size_ = other.size_;
    return *this;
  }
  SmallLimbs(SmallLimbs&& other) noexcept { *this = std::move(other); }
  SmallLimbs& operator=(SmallLimbs&& other) noexcept {
    if (other.heap_) {
      heap_ = std::move(other.heap_);
      capacity_ = other.capacity_;
      other.capacity_ = kInline;
    } else if (heap_) {
      std::copy_n(other.inline_.data(), other.size_, heap_.get());
    } else {
      inline_ = other.inline_;
    }
    size_ = other.size_;
    other.size_ = 0;
    return *this;
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Limb* data() { return heap_ ? heap_.get() : inline_.data(); }
  const Limb* data() const { return heap_ ? heap_.get() : inline_.data(); }
  Limb& operator[](std::size_t n) { return data()[n]; }
  Limb operator[](std::size_t n) const { return data()[n]; }
  Limb back() const { return data()[size_ - 1]; }
  void pop_back() { --size_; }
  void push_back(Limb limb) {
    Reserve(size_ + 1);
    data()[size_++] = limb;
  }
  void assign(std::size_t n, Limb limb) {
    Reserve(n);
    std::fill_n(data(), n, limb);
    size_ = n;
  }

 private:
  static constexpr std::size_t kInline = 8;

  // Room for n limbs, the first size_ kept.
  void Reserve(std::size_t n) {
    if (n > capacity_) Grow(n);
  }
  void Grow(std::size_t n);
  SmallLimbs& CopyFrom(const SmallLimbs& other);

  std::unique_ptr<Limb[]> heap_;
  std::size_t size_ = 0, capacity_ = kInline;
  std::array<Limb, kInline> inline_{};
};

}  // namespace pelmic
