// SPDX-License-Identifier: MIT
// png_file.h - the picture of a cycle as a PNG file.
#pragma once

#include <string>

#include "canvas/raster_canvas.h"

namespace pelmic::render {

// The canvas as a PNG file (RGB, 8 bits per channel). Throws once a stop
// signal arrives, within some 20 ms whatever the size.
std::string EncodePng(const RasterCanvas& canvas);

// "pic.png" for one cycle; "pic-1.png", "pic-2.png", ... for several.
std::string NumberedPath(const std::string& path, int cycle, int cycles);

}  // namespace pelmic::render
