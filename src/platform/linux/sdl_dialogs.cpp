// SPDX-License-Identifier: MIT
#include "platform/linux/sdl_dialogs.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/linux/termination_signal.h"

namespace pelmic::linux_desktop {

namespace {

using shell::ControlDesign;
using shell::ControlKind;
using shell::ControlRole;
using shell::DialogOutcome;

std::vector<const ControlDesign*> ControlsOfKind(const shell::SettingsDialogDesign& design, ControlKind kind) {
  std::vector<const ControlDesign*> found;
  for (const ControlDesign& control : design.controls) {
    if (control.kind == kind) found.push_back(&control);
  }
  return found;
}

Uint32 KeyBinding(ControlRole role) {
  if (role == ControlRole::Ok) return SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  if (role == ControlRole::Cancel) return SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  return 0;
}

DialogOutcome OutcomeOf(int buttonId) {
  switch (static_cast<ControlRole>(buttonId)) {
    case ControlRole::Ok: return DialogOutcome::Ok;
    case ControlRole::Cancel: return DialogOutcome::Cancel;
    case ControlRole::Preview: return DialogOutcome::Preview;
    case ControlRole::None: break;
  }
  return DialogOutcome::Closed;
}

// SDL tries zenity before drawing the box itself; where zenity is missing
// that attempt fails, and on a busy machine the fallback has been seen to
// fail now and then as well. A second try costs nothing when all is well.
bool ShowBox(const SDL_MessageBoxData& box, int& pressed) {
  // The box waits for its buttons alone; only ending the program can end it.
  const ExitOnSignalScope signalsEndTheBox;
  for (int attempt = 0; attempt < 2; ++attempt) {
    pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) == 0) return true;
  }
  return false;
}

}  // namespace

std::string ButtonCaption(std::string_view designed) {
  std::string caption(designed);
  const std::size_t marker = caption.find("(&");
  if (marker != std::string::npos && caption.size() == marker + 4 && caption.back() == ')') {
    caption.erase(marker);
  }
  std::erase(caption, '&');
  return caption;
}

std::string SettingsDialogMessage(const shell::SettingsDialogDesign& design) {
  std::vector<const ControlDesign*> labels = ControlsOfKind(design, ControlKind::Label);
  std::stable_sort(labels.begin(), labels.end(),
                   [](const ControlDesign* a, const ControlDesign* b) { return a->top < b->top; });
  std::string message;
  for (const ControlDesign* label : labels) {
    if (!message.empty()) message += "\n\n";
    message += label->text;
  }
  return message;
}

void ShowOkMessage(std::string_view text, std::string_view caption) {
  const std::string title(caption);
  const std::string message(text);
  const SDL_MessageBoxButtonData ok{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                                    0, "OK"};
  const SDL_MessageBoxData box{0, nullptr, title.c_str(), message.c_str(), 1, &ok, nullptr};
  int pressed = -1;
  if (!ShowBox(box, pressed)) std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
}

DialogOutcome ShowSettingsDialog(const shell::SettingsDialogDesign& design) {
  std::vector<const ControlDesign*> controls = ControlsOfKind(design, ControlKind::Button);
  std::stable_sort(controls.begin(), controls.end(),
                   [](const ControlDesign* a, const ControlDesign* b) { return a->left < b->left; });
  std::vector<std::string> captions;
  for (const ControlDesign* control : controls) captions.push_back(ButtonCaption(control->text));
  std::vector<SDL_MessageBoxButtonData> buttons;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    buttons.push_back({KeyBinding(controls[i]->role), static_cast<int>(controls[i]->role), captions[i].c_str()});
  }

  const std::string title(design.caption);
  const std::string message = SettingsDialogMessage(design);
  const SDL_MessageBoxData box{SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT, nullptr, title.c_str(), message.c_str(),
                               static_cast<int>(buttons.size()), buttons.data(), nullptr};
  int pressed = -1;
  if (!ShowBox(box, pressed)) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), SDL_GetError());
    return DialogOutcome::Closed;
  }
  return pressed < 0 ? DialogOutcome::Closed : OutcomeOf(pressed);
}

}  // namespace pelmic::linux_desktop
