// SPDX-License-Identifier: MIT
#include "geometry/big_integer.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace pelmic {
namespace {

using Limbs = SmallLimbs;

void Trim(Limbs& limbs) {
  while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
}

int CompareMagnitudes(const Limbs& a, const Limbs& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t n = a.size(); n-- > 0;) {
    if (a[n] != b[n]) return a[n] < b[n] ? -1 : 1;
  }
  return 0;
}

Limbs AddMagnitudes(const Limbs& a, const Limbs& b) {
  const Limbs& longer = a.size() >= b.size() ? a : b;
  const Limbs& shorter = a.size() >= b.size() ? b : a;
  Limbs sum(longer.size() + 1);
  Limb carry = 0;
  for (std::size_t n = 0; n < longer.size(); ++n) {
    const Limb part = n < shorter.size() ? shorter[n] : 0;
    const Limb low = longer[n] + part;
    sum[n] = low + carry;
    carry = (low < part) | (sum[n] < low);
  }
  sum[sum.size() - 1] = carry;
  Trim(sum);
  return sum;
}

// a - b for a >= b.
Limbs SubtractMagnitudes(const Limbs& a, const Limbs& b) {
  Limbs difference(a.size());
  Limb borrow = 0;
  for (std::size_t n = 0; n < a.size(); ++n) {
    const Limb part = n < b.size() ? b[n] : 0;
    const Limb low = a[n] - part;
    difference[n] = low - borrow;
    borrow = (a[n] < part) | (low < borrow);
  }
  Trim(difference);
  return difference;
}

}  // namespace

BigInteger::BigInteger(std::int64_t value) : negative_(value < 0) {
  std::uint64_t rest = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  while (rest != 0) {
    limbs_.push_back(static_cast<Limb>(rest));
    rest = kLimbBits < 64 ? rest >> (kLimbBits % 64) : 0;
  }
}

int BigInteger::BitLength() const {
  if (limbs_.empty()) return 0;
  return static_cast<int>(kLimbBits * limbs_.size()) - std::countl_zero(limbs_.back());
}

double BigInteger::Leading(int& exponent) const {
  const int bits = BitLength();
  // The top 64 bits; the rest only sways the last rounding.
  const int drop = std::max(0, bits - 64);
  std::uint64_t top = 0;
  for (int bit = bits - 1; bit >= drop;) {
    // The bits from `bit` down to the lower of `drop` and its limb's start.
    const int low = std::max(drop, bit - bit % kLimbBits);
    const int count = bit - low + 1;
    const Limb limb = limbs_[static_cast<std::size_t>(bit / kLimbBits)];
    const std::uint64_t part = static_cast<std::uint64_t>(limb >> (low % kLimbBits)) &
                               (count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1);
    top = count == 64 ? part : (top << count) | part;
    bit = low - 1;
  }
  const double fraction = std::frexp(static_cast<double>(top), &exponent);
  exponent += drop;
  return fraction;
}

BigInteger operator-(BigInteger a) {
  a.negative_ = !a.negative_ && !a.limbs_.empty();
  return a;
}

BigInteger operator-(const BigInteger& a, const BigInteger& b) { return a.PlusSigned(b, true); }

BigInteger operator+(const BigInteger& a, const BigInteger& b) { return a.PlusSigned(b, false); }

BigInteger BigInteger::PlusSigned(const BigInteger& b, bool subtract) const {
  const bool bNegative = b.negative_ != subtract;
  BigInteger result;
  if (negative_ == bNegative) {
    result.limbs_ = AddMagnitudes(limbs_, b.limbs_);
    result.negative_ = negative_;
  } else {
    const int order = CompareMagnitudes(limbs_, b.limbs_);
    if (order == 0) return result;
    result.limbs_ = order > 0 ? SubtractMagnitudes(limbs_, b.limbs_) : SubtractMagnitudes(b.limbs_, limbs_);
    result.negative_ = order > 0 ? negative_ : bNegative;
  }
  result.negative_ = result.negative_ && !result.limbs_.empty();
  return result;
}

BigInteger operator*(const BigInteger& a, const BigInteger& b) {
  BigInteger product;
  if (a.limbs_.empty() || b.limbs_.empty()) return product;
  // Zero limbs add nothing and are skipped: a power of two beside a
  // coordinate a thousand bits below it is mostly zeros.
  const bool aOutside = a.limbs_.size() <= b.limbs_.size();
  const Limbs& outer = aOutside ? a.limbs_ : b.limbs_;
  const Limbs& inner = aOutside ? b.limbs_ : a.limbs_;
  product.limbs_.assign(outer.size() + inner.size(), 0);
  for (std::size_t n = 0; n < outer.size(); ++n) {
    if (outer[n] == 0) continue;
    LimbProduct carry = 0;
    for (std::size_t m = 0; m < inner.size(); ++m) {
      if (inner[m] == 0 && carry == 0) continue;  // adds nothing to that limb
      carry += LimbProduct{outer[n]} * inner[m] + product.limbs_[n + m];
      product.limbs_[n + m] = static_cast<Limb>(carry);
      carry >>= kLimbBits;
    }
    product.limbs_[n + inner.size()] = static_cast<Limb>(carry);
  }
  Trim(product.limbs_);
  product.negative_ = a.negative_ != b.negative_;
  return product;
}

BigInteger BigInteger::ShiftedLeft(int bits) const {
  if (limbs_.empty() || bits == 0) return *this;
  BigInteger shifted;
  shifted.negative_ = negative_;
  const std::size_t whole = static_cast<std::size_t>(bits / kLimbBits);
  const int part = bits % kLimbBits;
  shifted.limbs_.assign(whole + limbs_.size() + 1, 0);
  for (std::size_t n = 0; n < limbs_.size(); ++n) {
    const LimbProduct moved = LimbProduct{limbs_[n]} << part;
    shifted.limbs_[whole + n] |= static_cast<Limb>(moved);
    shifted.limbs_[whole + n + 1] |= static_cast<Limb>(moved >> kLimbBits);
  }
  Trim(shifted.limbs_);
  return shifted;
}

}  // namespace pelmic
