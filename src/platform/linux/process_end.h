// SPDX-License-Identifier: MIT
// process_end.h - ending the program the moment the saver has given the
// screen back.
//
// What is left once the saver's windows are off the screen and the system's
// settings are back (the windows, their shared frame memory, the display
// connection, every library's own clean-up at exit) goes with the process
// anyway, and taking it down step by step grows with the screen: each frame
// is 33 MB at 3840x2160. So main, which knows that the program ends after
// the saver, says so first; the full-screen saver's window says when the
// screen is the user's again, leaves itself standing from then on, and main
// ends the program there. Without main's word (the tests) windows are taken
// down as usual.
//
//   EndProgramWhenScreenGivenBack();            // main, before the shell runs
//   MarkScreenGivenBack();                      // the window, once unmapped
//   if (ScreenGivenBack()) EndProgramNow(0);    // main, once the shell returns
#pragma once

namespace pelmic::linux_desktop {

void EndProgramWhenScreenGivenBack();
void MarkScreenGivenBack();
// True once both have been called.
bool ScreenGivenBack();

// Writes out what the C library still buffers and ends the process with
// `status`, without destructors or the libraries' exit handlers.
[[noreturn]] void EndProgramNow(int status);

}  // namespace pelmic::linux_desktop
