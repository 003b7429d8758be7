// SPDX-License-Identifier: MIT
// raster_font_data.h - the font file compiled into the program (generated at
// build time from assets/fonts/DejaVuSans-subset.ttf by cmake/EmbedFile.cmake).
#pragma once

#include <cstddef>

namespace pelmic {

extern const unsigned char kDejaVuSansSubset[];
extern const std::size_t kDejaVuSansSubsetSize;

}  // namespace pelmic
