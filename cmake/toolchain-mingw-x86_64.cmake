# SPDX-License-Identifier: MIT
# 64-bit Windows: the same sources as the shipped 32-bit build, built so that
# the tests can run under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PELMIC_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# Every test program runs through wine64 in a prefix private to this build
# directory; the wrapper creates the prefix on first use.
set(PELMIC_WINE_ARCH win64)
set(PELMIC_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine/unit-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PELMIC_HARNESS_DIR}/wine-run.sh ${PELMIC_WINE_ARCH} ${PELMIC_WINE_PREFIX})
