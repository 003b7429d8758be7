// SPDX-License-Identifier: MIT
// Makes each window and GDI object creation step of the saver window and the
// settings dialog fail in turn, as the system does when it runs out of
// resources, and checks that the failure is reported and nothing is left.
// The unit tests' wine prefix uses the null graphics driver: real windows,
// no display.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/creation_steps.h"
#include "platform/win32/saver_window.h"
#include "platform/win32/settings_dialog.h"
#include "platform/win32/window_text.h"

namespace pelmic::win32 {
namespace {

// Fails the step numbered `failAt` (from 0; -1: none) and records the rest.
struct FailingStep final : CreationWatch {
  explicit FailingStep(int failAtStep) : failAt(failAtStep) { SetCreationWatch(this); }
  ~FailingStep() { SetCreationWatch(nullptr); }

  bool MayCreate(Made kind) override {
    if (steps++ != failAt) return true;
    failedKind = kind;
    return false;
  }
  void Created(Made kind, void* handle) override { made.push_back({kind, handle}); }

  int failAt;
  int steps = 0;
  std::optional<Made> failedKind;
  std::vector<std::pair<Made, void*>> made;
};

// Asks the system itself: an owner that forgot its handle cannot fake this.
bool Alive(const std::pair<Made, void*>& made) {
  const auto [kind, handle] = made;
  return kind == Made::Window ? IsWindow(static_cast<HWND>(handle)) != FALSE : GetObjectType(handle) != 0;
}

BOOL CALLBACK AddIfOurs(HWND window, LPARAM list) {
  const std::wstring name = ClassNameOf(window);
  if (name.starts_with(L"Pelmic")) reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(name);
  return TRUE;
}

// The classes of this thread's top-level windows that are pelmic's own.
std::vector<std::wstring> OurTopLevelWindows() {
  std::vector<std::wstring> classes;
  EnumThreadWindows(GetCurrentThreadId(), &AddIfOurs, reinterpret_cast<LPARAM>(&classes));
  return classes;
}

void ExpectAllReleased(const FailingStep& watch, const std::string& when) {
  for (const auto& made : watch.made) EXPECT_FALSE(Alive(made)) << when << ": handle " << made.second << " left";
  EXPECT_TRUE(OurTopLevelWindows().empty()) << when << ": windows left";
}

struct Family {
  const char* name;
  std::function<std::shared_ptr<void>()> make;
  // A step of this kind may fail without failing the whole (the dialog's
  // font: its controls then take the GUI font).
  std::optional<Made> doesWithout;
};

TEST(CreationFailure, EveryFailedStepIsReportedAndReleasesEverythingMadeBeforeIt) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const std::vector<shell::ScreenRect> twoCovers{{64, 0, 128, 48}, {-32, 0, 0, 24}};
  const Family families[] = {
      {"saver window over three monitors",
       [&] { return std::make_shared<Win32SaverWindow>(instance, 64, 48, twoCovers); }, std::nullopt},
      {"settings dialog", [&] { return std::make_shared<SettingsDialog>(instance, shell::kSettingsDialog); },
       Made::GdiObject},
  };
  for (const Family& family : families) {
    SCOPED_TRACE(family.name);
    int steps = 0;
    {
      FailingStep watch(-1);
      std::shared_ptr<void> whole = family.make();
      steps = watch.steps;
      ASSERT_EQ(watch.made.size(), static_cast<std::size_t>(steps));
      for (const auto& made : watch.made) EXPECT_TRUE(Alive(made));
      whole.reset();
      ExpectAllReleased(watch, "after a whole creation");
    }
    ASSERT_GE(steps, 3);
    for (int failAt = 0; failAt < steps; ++failAt) {
      const std::string when = "step " + std::to_string(failAt) + " failed";
      FailingStep watch(failAt);
      try {
        std::shared_ptr<void> made = family.make();
        EXPECT_EQ(watch.failedKind, family.doesWithout) << when << " and nothing said so";
      } catch (const std::runtime_error& error) {
        EXPECT_EQ(watch.steps, failAt + 1) << when << ": creation went on after it";
        EXPECT_STRNE(error.what(), "") << when;
      }
      ExpectAllReleased(watch, when);
    }
  }
}

}  // namespace
}  // namespace pelmic::win32
