#include "png_file.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace pelmic::render {

std::string EncodePng(const RasterCanvas& canvas) {
  std::vector<unsigned char> rgb;
  rgb.reserve(static_cast<std::size_t>(canvas.Width()) * canvas.Height() * 3);
  const std::uint32_t* pixels = canvas.Pixels();
  const std::size_t count = static_cast<std::size_t>(canvas.Width()) * canvas.Height();
  for (std::size_t p = 0; p < count; ++p) {
    rgb.push_back(static_cast<unsigned char>(pixels[p] >> 16));
    rgb.push_back(static_cast<unsigned char>(pixels[p] >> 8));
    rgb.push_back(static_cast<unsigned char>(pixels[p]));
  }
  std::string png;
  auto append = [](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
  };
  if (!stbi_write_png_to_func(append, &png, canvas.Width(), canvas.Height(), 3, rgb.data(), canvas.Width() * 3)) {
    throw std::runtime_error("PNG encoding failed");
  }
  return png;
}

std::string NumberedPath(const std::string& path, int cycle, int cycles) {
  if (cycles == 1) return path;
  const std::filesystem::path p(path);
  std::filesystem::path numbered = p.parent_path() / (p.stem().string() + "-" + std::to_string(cycle));
  numbered += p.extension();
  return numbered.string();
}

}  // namespace pelmic::render
