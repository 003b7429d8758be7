// SPDX-License-Identifier: MIT
// main.cpp - entry point of pelmic.scr: hands the command line after the
// program name to the shell.
#include <windows.h>

#include <exception>

#include "platform/win32/command_line.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "shell/pelmic_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
  // First of all: the single-instance mutex, inside the platform's constructor.
  pelmic::win32::Win32Platform platform(instance);
  try {
    const std::string arguments =
        pelmic::win32::Utf8FromWide(pelmic::win32::ArgumentsAfterProgramName(GetCommandLineW()));
    return pelmic::shell::Main(arguments, platform);
  } catch (const std::exception& error) {
    // A failure we cannot recover from: say what failed, then end.
    MessageBoxW(nullptr, pelmic::win32::WideFromUtf8(error.what()).c_str(), L"Pelmic", MB_OK | MB_ICONERROR);
    return 1;
  }
}
