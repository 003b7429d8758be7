// SPDX-License-Identifier: MIT
// browser.h - what the web front end asks of its page (page.js), through the
// JavaScript functions of pelmic_library.js.
//
// Every one of them returns at once: the program never waits inside the
// browser. The page calls the program for one turn at a time (main.cpp), and
// between turns the browser runs input, timers and painting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmic::web::browser {

// What the page wants drawn next.
enum class RunKind { Page = 0, Saver = 1 };
struct RunRequest {
  RunKind kind = RunKind::Page;
  int width = 0;   // device pixels of the window, or of the screen in full screen
  int height = 0;
};

// Input the page queued since the last look, oldest first.
enum class InputKind { None = 0, Key = 1, Click = 2, PointerMove = 3, Close = 4 };
struct InputEvent {
  InputKind kind = InputKind::None;
  float x = 0, y = 0;  // device pixels, for PointerMove
};

// The picture the page wants now, if any: at start, after a resize, on
// entering or leaving full screen. Taking it starts it, for the page.
std::optional<RunRequest> TakeRun();
InputEvent TakeInput();
// True once per animation frame: the moment to copy pixels to the page.
bool TakeFrame();

// The value of a URL parameter, if the page's address has it.
std::optional<std::string> UrlParameter(std::string_view name);
// The reproducible mode: no caption, no full-screen control, no overlap.
void EnterReproducibleMode();

// Gives the page's canvas a backing store of width x height device pixels,
// black, at the page's top-left corner.
void BeginPicture(int width, int height);
// Copies rows of RGBA pixels into the canvas at (left, top).
void PutPixels(const std::uint8_t* rgba, int left, int top, int width, int height);

void SetTitle(std::string_view title);
void ShowError(std::string_view message);
void SetCursorHidden(bool hidden);
// Keeps the screen from going dark (on) or leaves it to the system again.
void KeepScreenOn(bool on);
void LeaveFullScreen();
void Alert(std::string_view text);

}  // namespace pelmic::web::browser
