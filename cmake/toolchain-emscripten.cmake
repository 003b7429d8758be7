# SPDX-License-Identifier: MIT
# The browser build: Debian's emscripten, WebAssembly run by a browser or, for
# the tests, by node (the toolchain's cross-compiling emulator).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# Test programs run under node. This emscripten predates node's own fetch,
# which it would take for a way to load the .wasm file next to the program.
find_program(PELMIC_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PELMIC_NODE} --no-experimental-fetch CACHE STRING "" FORCE)

# stb is header-only: the host's copy serves this build too.
set(STB_INCLUDE_DIR /usr/include/stb CACHE PATH "stb headers (header-only, shared with the host)")

# Each node start loads the whole test program: one run per GoogleTest
# program rather than one per case.
set(PELMIC_GTEST_WHOLE_PROGRAM ON)

# emscripten's JavaScript optimizer runs under node, which does not look in
# Debian's module folder by itself.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)

# GoogleTest without threads: a plain WebAssembly program has none.
set(gtest_disable_pthreads ON CACHE BOOL "")

# C++ exceptions caught as on every other build: the core reports bad input
# and impossible states by throwing, and the tests check that it does. This
# clang's libc++ has coroutines only under their draft name (cycle/steps.h),
# which it calls deprecated.
set(CMAKE_CXX_FLAGS_INIT "-fexceptions -Wno-deprecated-experimental-coroutine")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fexceptions")
