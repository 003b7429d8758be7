# SPDX-License-Identifier: MIT
# Turns a file into a C++ source holding its bytes, so that the program carries
# the file inside itself and looks nothing up at run time. Pure CMake (no xxd),
# so it runs the same for native and cross builds.
#
#   cmake -DINPUT=font.ttf -DOUTPUT=font.cpp -DSYMBOL=kFont -P EmbedFile.cmake
#
# defines, in namespace pelmic:
#   extern const unsigned char kFont[];      the bytes
#   extern const std::size_t kFontSize;       their count
foreach(required INPUT OUTPUT SYMBOL)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "EmbedFile.cmake: -D${required}=... is missing")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
if(byteCount EQUAL 0)
  message(FATAL_ERROR "EmbedFile.cmake: ${INPUT} is empty")
endif()

# A line break after every 16 bytes keeps the generated file readable; then
# two hex digits per byte become "0xNN,".
string(REPEAT "[0-9a-f]" 32 sixteenBytes)
string(REGEX REPLACE "(${sixteenBytes})" "\\1\n  " hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(STRIP "${bytes}" bytes)

get_filename_component(inputName "${INPUT}" NAME)
set(content "// Generated from ${inputName} by cmake/EmbedFile.cmake; do not edit.
#include <cstddef>

namespace pelmic {

extern const unsigned char ${SYMBOL}[];
extern const std::size_t ${SYMBOL}Size;

const unsigned char ${SYMBOL}[${byteCount}] = {
  ${bytes}
};
const std::size_t ${SYMBOL}Size = ${byteCount};

}  // namespace pelmic
")

# Rewrite only on change, so an unchanged file does not force a recompile.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
