// The help button of the real program: the About dialog comes up over the main window
// with its texts and the configured vendor address, closes again, and the program goes
// on until it is ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "harness/closed_port.h"
#include "harness/input.h"
#include "harness/shared.h"
#include "harness/window_find.h"
#include "lockmere_launch.h"

namespace qz::e2e {
namespace {

constexpr int kHelpButtonId = 57670;
constexpr int kVendorLinkId = 1014;

// The About dialog: a visible dialog of the program, other than its main window, that
// holds the vendor link. It is owned by the main window, so WaitForDialog cannot find it.
HWND WaitForAboutDialog(DWORD pid, HWND main_window, Millis timeout) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopLevelWindows(pid)) {
          if (w != main_window && IsWindowVisible(w) && ClassName(w) == kDialogClass &&
              GetDlgItem(w, kVendorLinkId)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeout);
  return found;
}

TEST(AboutTest, HelpButtonShowsAboutDialogThatClosesBackToTheMainWindow) {
  // The link must not reach anything: the product port stays closed throughout.
  ClosedPort port;
  std::string error;
  ASSERT_TRUE(port.Hold(ProductPort(), &error)) << error;

  ProgramProcess process;
  HWND main = nullptr;
  ASSERT_TRUE(LaunchLockmere(process, &main));

  ASSERT_TRUE(ClickButton(main, kHelpButtonId));
  HWND about = WaitForAboutDialog(process.id(), main, Millis(10000));
  ASSERT_TRUE(about) << "no About dialog after the help button";
  EXPECT_EQ(GetWindow(about, GW_OWNER), main);
  EXPECT_FALSE(IsWindowEnabled(main)) << "the About dialog is modal";
  EXPECT_EQ(WindowText(about), "Lockmere");
  EXPECT_EQ(ControlText(about, IDOK), "关闭(&X)");
  EXPECT_EQ(ControlText(about, kVendorLinkId), "127.0.0.1:" + std::to_string(ProductPort()));

  std::string texts;
  for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    texts += WindowText(c) + "\n";
  for (const char* expected : {"Lockmere 3.01 版\n", "本公司不承担使用此工具的任何损失。\n",
                               "             子目录中的文件不作处理。\n"})
    EXPECT_NE(texts.find(expected), std::string::npos) << expected;

  ASSERT_TRUE(ClickButton(about, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, Millis(5000)));
  EXPECT_TRUE(IsWindow(main) && IsWindowVisible(main));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, Millis(2000)));
  EXPECT_TRUE(process.Running());

  ASSERT_TRUE(CloseBox(main));
  EXPECT_TRUE(EndsWithin(process, kPromptExit, "the close box"));
}

}  // namespace
}  // namespace qz::e2e
