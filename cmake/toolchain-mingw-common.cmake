# SPDX-License-Identifier: MIT
# Shared part of the mingw-w64 toolchain files. The including file sets
# PELMIC_MINGW_TRIPLET (i686-w64-mingw32 or x86_64-w64-mingw32) first.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix flavour: the -win32 one has no std::mutex/std::thread, which
# GoogleTest needs.
set(CMAKE_C_COMPILER ${PELMIC_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELMIC_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PELMIC_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELMIC_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# stb is header-only: the host's copy serves the cross build too.
set(STB_INCLUDE_DIR /usr/include/stb CACHE PATH "stb headers (header-only, shared with the host)")

# One self-contained executable that imports only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

# Test programs run under wine through the runners of the test harness.
get_filename_component(PELMIC_HARNESS_DIR ${CMAKE_CURRENT_LIST_DIR}/../tests/harness ABSOLUTE)
