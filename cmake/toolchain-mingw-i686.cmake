# SPDX-License-Identifier: MIT
# 32-bit Windows: the shipped pelmic.scr.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELMIC_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# SSE2 arithmetic, as on every other build: mingw's i686 default is x87, whose
# 80-bit intermediates round differently (a float quotient kept at extended
# precision, labels at exact halves). Every processor that runs a supported
# Windows has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Test programs run under 32-bit wine: natively where the kernel runs 32-bit
# programs, else emulated (see tests/harness/wine-run.sh). A test program's exit status is
# not trusted under the emulation, so GoogleTest programs are judged by their
# XML report, one run per program (a start costs a second or more emulated).
set(PELMIC_GTEST_WHOLE_PROGRAM ON)
set(PELMIC_WINE_ARCH win32)
set(PELMIC_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine/unit-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${PELMIC_HARNESS_DIR}/gtest-xml-verdict.py ${PELMIC_HARNESS_DIR}/wine-run.sh
    ${PELMIC_WINE_ARCH} ${PELMIC_WINE_PREFIX})
