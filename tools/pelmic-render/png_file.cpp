// SPDX-License-Identifier: MIT
#include "png_file.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

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

#include "stop_signals.h"

namespace pelmic::render {

namespace {

// How many rows are converted between looks at the stop request, and how
// often the wait for the encoder looks: a stop is acted on within some 20 ms
// even at 16384 x 16384, whose encoding takes many seconds.
constexpr int kRowsPerLook = 64;
constexpr auto kStopPoll = std::chrono::milliseconds(20);

[[noreturn]] void Stopped() { throw std::runtime_error("PNG encoding stopped"); }

// Fills `rgb` with the canvas's pixels as RGB bytes, row by row; false when
// a stop signal cut it short. Not cleared first: at 16384 x 16384 that alone
// takes a second.
bool ConvertRows(const RasterCanvas& canvas, std::unique_ptr<unsigned char[]>& rgb) {
  const std::size_t width = static_cast<std::size_t>(canvas.Width());
  rgb = std::make_unique_for_overwrite<unsigned char[]>(width * static_cast<std::size_t>(canvas.Height()) * 3);
  const std::uint32_t* pixels = canvas.Pixels();
  for (int y = 0; y < canvas.Height(); ++y) {
    if (y % kRowsPerLook == 0 && StopSignal() != 0) return false;
    for (std::size_t p = static_cast<std::size_t>(y) * width, end = p + width; p < end; ++p) {
      rgb[3 * p] = static_cast<unsigned char>(pixels[p] >> 16);
      rgb[3 * p + 1] = static_cast<unsigned char>(pixels[p] >> 8);
      rgb[3 * p + 2] = static_cast<unsigned char>(pixels[p]);
    }
  }
  return true;
}

// One encoding, shared by the thread that does it and the one that waits.
struct Encoding {
  std::unique_ptr<unsigned char[]> rgb;
  int width = 0, height = 0;
  std::string png;
  bool ok = false;
  bool done = false;
  std::mutex lock;
  std::condition_variable finished;
};

void Encode(const std::shared_ptr<Encoding>& job) {
  std::string png;
  auto append = [](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
  };
  const bool ok = stbi_write_png_to_func(append, &png, job->width, job->height, 3, job->rgb.get(), job->width * 3);
  const std::lock_guard hold(job->lock);
  job->png = std::move(png);
  job->ok = ok;
  job->done = true;
  job->finished.notify_one();
}

}  // namespace

std::string EncodePng(const RasterCanvas& canvas) {
  auto job = std::make_shared<Encoding>();
  if (!ConvertRows(canvas, job->rgb)) {
    // Kept, never freed: the program ends next, and handing 800 MB back page
    // by page would take longer than the stop may.
    new std::shared_ptr<Encoding>(job);
    Stopped();
  }
  job->width = canvas.Width();
  job->height = canvas.Height();
  // The encoder cannot be asked to stop, so it runs on its own thread on
  // data of its own; a stop leaves it behind, to end with the program.
  std::thread encoder = WithoutStopSignals([job] { Encode(job); });
  encoder.detach();
  std::unique_lock hold(job->lock);
  while (!job->finished.wait_for(hold, kStopPoll, [&] { return job->done; })) {
    if (StopSignal() != 0) Stopped();
  }
  if (!job->ok) throw std::runtime_error("PNG encoding failed");
  return std::move(job->png);
}

std::string NumberedPath(const std::string& path, int cycle, int cycles) {
  if (cycles == 1) return path;
  const std::filesystem::path p(path);
  std::filesystem::path numbered = p.parent_path() / (p.stem().string() + "-" + std::to_string(cycle));
  numbered += p.extension();
  return numbered.string();
}

}  // namespace pelmic::render
