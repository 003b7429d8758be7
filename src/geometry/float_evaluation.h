// SPDX-License-Identifier: MIT
// float_evaluation.h - the floating-point model the geometry's error bounds are
// proved in, checked wherever the core is compiled.
//
// Each bound counts one rounding to double per operation. That holds only where
// a double expression is evaluated in double (x87's 80-bit intermediates round
// twice, and then differently), where no multiply and add are fused into one
// rounding (the build passes -ffp-contract=off everywhere, since clang fuses by
// default where the target has FMA), and where results below 2^-1022 keep their
// value instead of flushing to zero (-ffast-math links code that sets the
// processor's flush-to-zero mode). A build that breaks the model does not compile.
#pragma once

#include <cfloat>

#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error "the geometry needs float and double evaluated in their own precision (on i686: -msse2 -mfpmath=sse)"
#endif

#if defined(__FAST_MATH__)
#error "the geometry needs IEEE arithmetic with gradual underflow: build without -ffast-math"
#endif
