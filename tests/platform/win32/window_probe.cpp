// SPDX-License-Identifier: MIT
// window_probe.cpp - reads pelmic.scr's windows through the Win32 window tree
// for the end-to-end tests, which run it in the same wine session.
//
//   window_probe dialog CLASS     the top-level window of that class: its
//                                 caption, client size, each child control in z-order
//                                 (class, text, rectangle in client pixels, tab
//                                 stop, lines its text takes), the tab cycle
//   window_probe monitors         every monitor's rectangle, primary first
//   window_probe windows          every visible top-level window: class, caption,
//                                 rectangle, process id
//
// Prints one JSON object on standard output; exit status 1 when the window
// asked for does not exist.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/window_text.h"

namespace {

using pelmic::win32::ClassNameOf;
using pelmic::win32::Utf8FromWide;
using pelmic::win32::WindowText;

// JSON is built by appending: GCC 12 warns falsely at -O3 on chains of
// string concatenations.
void AppendQuoted(std::string& out, const std::wstring& text) {
  out += '"';
  for (const char c : Utf8FromWide(text)) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendRect(std::string& out, const RECT& r) {
  const long values[] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  out += '[';
  for (const long value : values) {
    if (out.back() != '[') out += ',';
    out += std::to_string(value);
  }
  out += ']';
}

// Appends `"key":` and, for a later key, the comma before it.
void AppendKey(std::string& out, const char* key) {
  if (out.back() != '{') out += ',';
  out += '"';
  out += key;
  out += "\":";
}

// How many lines the control's text takes when word-wrapped to its width in
// the system's message font, the dialog font, as a static control draws it.
// (The control's own font handle belongs to the other process.)
int LinesOf(HWND control, const std::wstring& text) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  HDC dc = GetDC(control);
  HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  RECT client{};
  GetClientRect(control, &client);
  TEXTMETRICW textMetrics{};
  GetTextMetricsW(dc, &textMetrics);
  RECT bounds{0, 0, client.right, 0};
  DrawTextW(dc, text.c_str(), -1, &bounds, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  if (previous != nullptr) SelectObject(dc, previous);
  ReleaseDC(control, dc);
  if (font != nullptr) DeleteObject(font);
  return textMetrics.tmHeight > 0 ? static_cast<int>(bounds.bottom / textMetrics.tmHeight) : 0;
}

void AppendControl(std::string& out, HWND dialog, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  const std::wstring text = WindowText(child);
  out += '{';
  AppendKey(out, "class");
  AppendQuoted(out, ClassNameOf(child));
  AppendKey(out, "text");
  AppendQuoted(out, text);
  AppendKey(out, "rect");
  AppendRect(out, r);
  AppendKey(out, "tabstop");
  out += (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0 ? "true" : "false";
  AppendKey(out, "lines");
  out += std::to_string(LinesOf(child, text));
  out += '}';
}

int Dialog(const std::wstring& className) {
  HWND dialog = FindWindowW(className.c_str(), nullptr);
  if (dialog == nullptr) return 1;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  RECT client{};
  GetClientRect(dialog, &client);
  std::string out = "{";
  AppendKey(out, "caption");
  AppendQuoted(out, WindowText(dialog));
  AppendKey(out, "dpi");
  out += std::to_string(dpi);
  AppendKey(out, "client");
  AppendRect(out, client);
  AppendKey(out, "controls");
  out += '[';
  std::size_t count = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (count++ > 0) out += ',';
    AppendControl(out, dialog, child);
  }
  out += ']';
  // The tab cycle from the first tab stop, as Tab walks it.
  AppendKey(out, "tab_cycle");
  out += '[';
  HWND start = GetNextDlgTabItem(dialog, nullptr, FALSE);
  HWND item = start;
  for (std::size_t steps = 0; item != nullptr && steps < count; ++steps) {
    if (out.back() != '[') out += ',';
    AppendQuoted(out, WindowText(item));
    item = GetNextDlgTabItem(dialog, item, FALSE);
    if (item == start) break;
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  auto& rects = *reinterpret_cast<std::vector<std::string>*>(list);
  std::string rect;
  AppendRect(rect, info.rcMonitor);
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    rects.insert(rects.begin(), rect);
  } else {
    rects.push_back(rect);
  }
  return TRUE;
}

int Monitors() {
  std::vector<std::string> rects;
  EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&rects));
  std::string out = "{\"monitors\":[";
  for (const std::string& rect : rects) {
    if (out.back() != '[') out += ',';
    out += rect;
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
  if (!IsWindowVisible(window)) return TRUE;
  RECT r{};
  GetWindowRect(window, &r);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  auto& out = *reinterpret_cast<std::string*>(list);
  if (out.back() != '[') out += ',';
  out += '{';
  AppendKey(out, "class");
  AppendQuoted(out, ClassNameOf(window));
  AppendKey(out, "text");
  AppendQuoted(out, WindowText(window));
  AppendKey(out, "rect");
  AppendRect(out, r);
  AppendKey(out, "process");
  out += std::to_string(process);
  out += '}';
  return TRUE;
}

int Windows() {
  std::string out = "{\"windows\":[";
  EnumWindows(&AddWindow, reinterpret_cast<LPARAM>(&out));
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"dialog" && argc > 2) return Dialog(argv[2]);
  if (command == L"monitors") return Monitors();
  if (command == L"windows") return Windows();
  std::fputs("usage: window_probe dialog CLASS | monitors | windows\n", stderr);
  return 2;
}
