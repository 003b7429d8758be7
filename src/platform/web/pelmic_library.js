// SPDX-License-Identifier: MIT
// pelmic_library.js - the JavaScript side of browser.h, linked in with
// --js-library. Each function hands over to the page object that page.js
// passes in as Module.page; this file only moves values across the border
// between WebAssembly memory and JavaScript.

mergeInto(LibraryManager.library, {
  // Returns 0 when the page wants no picture now.
  pelmic_take_run: function (request) {
    var run = Module.page.takeRun();
    if (!run) return 0;
    HEAP32[request >> 2] = run.kind;
    HEAP32[(request >> 2) + 1] = run.width;
    HEAP32[(request >> 2) + 2] = run.height;
    return 1;
  },

  pelmic_take_input: function (xy) {
    var event = Module.page.takeInput();
    if (!event) return 0;
    HEAPF32[xy >> 2] = event.x;
    HEAPF32[(xy >> 2) + 1] = event.y;
    return event.kind;
  },

  pelmic_take_frame: function () {
    return Module.page.takeFrame() ? 1 : 0;
  },

  // Returns the value's length in UTF-8 bytes, or -1 when the address has no
  // such parameter; copies it when given room.
  pelmic_url_parameter: function (name, buffer, size) {
    var value = Module.page.urlParameter(UTF8ToString(name));
    if (value === null) return -1;
    if (size > 0) stringToUTF8(value, buffer, size);
    return lengthBytesUTF8(value);
  },

  pelmic_enter_reproducible_mode: function () {
    Module.page.enterReproducibleMode();
  },

  pelmic_begin_picture: function (width, height) {
    Module.page.beginPicture(width, height);
  },

  pelmic_put_pixels: function (rgba, left, top, width, height) {
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    Module.page.putPixels(new ImageData(bytes, width, height), left, top);
  },

  pelmic_set_title: function (text) {
    Module.page.setTitle(UTF8ToString(text));
  },

  pelmic_show_error: function (text) {
    Module.page.showError(UTF8ToString(text));
  },

  pelmic_set_cursor_hidden: function (hidden) {
    Module.page.setCursorHidden(hidden !== 0);
  },

  pelmic_keep_screen_on: function (on) {
    Module.page.keepScreenOn(on !== 0);
  },

  pelmic_leave_full_screen: function () {
    Module.page.leaveFullScreen();
  },

  pelmic_alert: function (text) {
    Module.page.alert(UTF8ToString(text));
  },
});
