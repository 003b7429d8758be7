# 32-bit Windows: the shipped pelmic.scr. It cannot run on these build
# machines (no IA32 emulation), so no test emulator is set.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELMIC_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
