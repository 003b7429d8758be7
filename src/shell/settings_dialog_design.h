// SPDX-License-Identifier: MIT
// settings_dialog_design.h - the settings dialog as designed: caption, client
// size and controls in tab order, in twips (15 twips to a pixel).
#pragma once

#include <array>
#include <string_view>

namespace pelmic::shell {

inline constexpr std::string_view kAppTitle = "Pelmic";
inline constexpr std::string_view kPasswordMessage = "パスワードには対応していませんm(_ _)m";

enum class ControlKind { Button, Label };

// The handlers behind the buttons; labels have none.
enum class ControlRole { Ok, Cancel, Preview, None };

struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  ControlRole role;
  std::string_view text;  // '&' marks the access key
  int left, top, width, height;  // twips
};

struct SettingsDialogDesign {
  std::string_view caption;
  int clientWidth, clientHeight;  // twips
  std::array<ControlDesign, 6> controls;  // in tab order
};

inline constexpr SettingsDialogDesign kSettingsDialog{
    "設定",
    6540,
    3690,
    {{
        {"Command1", ControlKind::Button, ControlRole::Ok, "OK(&O)", 960, 2880, 1335, 375},
        {"Command2", ControlKind::Button, ControlRole::Cancel, "Cancel", 2820, 2880, 1335, 375},
        {"Label1", ControlKind::Label, ControlRole::None, "設定はありません。", 1560, 1320, 2535, 375},
        {"Label2", ControlKind::Label, ControlRole::None, "Pelmic", 840, 120, 2775, 735},
        {"Label3", ControlKind::Label, ControlRole::None, "© 2026 Pelmic team", 2160, 2040, 1815, 495},
        {"cmdPreview", ControlKind::Button, ControlRole::Preview, "プレビュー(&P)", 4680, 2880, 1335, 375},
    }}};

// The dialog is laid out in twips, fifteen to a pixel.
inline constexpr int kTwipsPerPixel = 15;
constexpr int TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }

}  // namespace pelmic::shell
