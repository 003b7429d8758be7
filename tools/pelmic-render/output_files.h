// output_files.h - writing outputs whole or not at all.
#pragma once

#include <string>
#include <vector>

#include "canvas/raster_canvas.h"

namespace pelmic::render {

// Writes `bytes` to `path` through a temporary file renamed into place, so a
// failed run never leaves a half-written file. "-" writes to standard output.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

// The canvas as a PNG file (RGB, 8 bits per channel).
std::string EncodePng(const RasterCanvas& canvas);

// "pic.png" for one cycle; "pic-1.png", "pic-2.png", ... for several.
std::string NumberedPath(const std::string& path, int cycle, int cycles);

}  // namespace pelmic::render
