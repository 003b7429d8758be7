// SPDX-License-Identifier: MIT
#include "platform/web/browser.h"

#include <vector>

// Implemented in pelmic_library.js.
extern "C" {
int pelmic_take_run(int* kindWidthHeight);
int pelmic_take_input(float* xy);
int pelmic_take_frame();
int pelmic_url_parameter(const char* name, char* buffer, int size);
void pelmic_enter_reproducible_mode();
void pelmic_begin_picture(int width, int height);
void pelmic_put_pixels(const std::uint8_t* rgba, int left, int top, int width, int height);
void pelmic_set_title(const char* text);
void pelmic_show_error(const char* text);
void pelmic_set_cursor_hidden(int hidden);
void pelmic_keep_screen_on(int on);
void pelmic_leave_full_screen();
void pelmic_alert(const char* text);
}

namespace pelmic::web::browser {

std::optional<RunRequest> TakeRun() {
  int request[3] = {};
  if (pelmic_take_run(request) == 0) return std::nullopt;
  return RunRequest{static_cast<RunKind>(request[0]), request[1], request[2]};
}

InputEvent TakeInput() {
  float xy[2] = {};
  const int kind = pelmic_take_input(xy);
  return {static_cast<InputKind>(kind), xy[0], xy[1]};
}

bool TakeFrame() { return pelmic_take_frame() != 0; }

std::optional<std::string> UrlParameter(std::string_view name) {
  const std::string key(name);
  const int length = pelmic_url_parameter(key.c_str(), nullptr, 0);
  if (length < 0) return std::nullopt;
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  pelmic_url_parameter(key.c_str(), buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

void EnterReproducibleMode() { pelmic_enter_reproducible_mode(); }
void BeginPicture(int width, int height) { pelmic_begin_picture(width, height); }

void PutPixels(const std::uint8_t* rgba, int left, int top, int width, int height) {
  pelmic_put_pixels(rgba, left, top, width, height);
}

void SetTitle(std::string_view title) { pelmic_set_title(std::string(title).c_str()); }
void ShowError(std::string_view message) { pelmic_show_error(std::string(message).c_str()); }
void SetCursorHidden(bool hidden) { pelmic_set_cursor_hidden(hidden ? 1 : 0); }
void KeepScreenOn(bool on) { pelmic_keep_screen_on(on ? 1 : 0); }
void LeaveFullScreen() { pelmic_leave_full_screen(); }
void Alert(std::string_view text) { pelmic_alert(std::string(text).c_str()); }

}  // namespace pelmic::web::browser
