// sdl_saver_window.h - the full-screen saver window on SDL2.
//
// The diagram is drawn into a RasterCanvas the size of the desktop; this
// window shows it through a streaming texture, uploading only the part that
// changed. DoEvents is called once per yield of the cycle (well over a million
// times in a pause), so it pumps the event queue once and presents only when
// something changed and a frame's time has passed.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "canvas/raster_canvas.h"
#include "shell/platform.h"

namespace pelmic::sdl {

class SdlSaverWindow final : public shell::SaverWindow {
 public:
  // At most about 60 presents a second: enough to watch the cells appear,
  // cheap enough not to slow the drawing down.
  static constexpr std::uint64_t kFrameMs = 16;

  // Creates the hidden window covering display 0 at its desktop resolution.
  // SDL's video subsystem must be initialised. Throws std::runtime_error.
  SdlSaverWindow();
  ~SdlSaverWindow() override;
  SdlSaverWindow(const SdlSaverWindow&) = delete;
  SdlSaverWindow& operator=(const SdlSaverWindow&) = delete;

  void Show() override;
  void Hide() override;
  void Refresh() override;
  Canvas& Surface() override { return *canvas_; }
  void DoEvents(shell::SaverInput& input) override;

  // For the benchmarks: presenting can be switched off to measure its cost.
  void SetPresenting(bool on) { presenting_ = on; }

 private:
  void Dispatch(const SDL_Event& event, shell::SaverInput& input);
  // Copies the canvas's changed part into the texture; false if none changed.
  bool UploadDirtyRect();
  void PresentTexture();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  std::unique_ptr<RasterCanvas> canvas_;
  std::uint64_t lastPresentMs_ = 0;
  bool exposed_ = false;  // the system lost our pixels: present even if clean
  bool presenting_ = true;
};

}  // namespace pelmic::sdl
