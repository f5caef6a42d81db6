// The window at the display's scale: run under prefixes whose LogPixels is 96, 144 and
// 192 (display_scale.py), the program's own figures must be its 96-dpi ones scaled.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>

#include "harness/remote_memory.h"
#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kFolder = "C:\\qz-e2e-scale";
const std::string kFolderItem = "Qz-e2e-scale";

// The prefix's dpi, as display_scale.py set it; the test prefix keeps Wine's 96.
int PrefixDpi() {
  const char* value = std::getenv("QZ_E2E_DPI");
  return value ? std::atoi(value) : 96;
}

int Scaled(int value, int dpi) { return MulDiv(value, dpi, 96); }

class DisplayScaleTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    // Real pixels, not a 96-dpi view of them.
    SetProcessDPIAware();
    RemoveTree(kFolder);
    ASSERT_TRUE(CreateDirectoryA(kFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((kFolder + "\\Sub").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(kFolder + "\\plain.txt", {}));
    Launch();
  }
  void TearDown() override {
    LockmereWindowTest::TearDown();
    RemoveTree(kFolder);
  }
};

// The height of text in the system's menu font at the prefix's dpi.
int MenuTextHeight(const wchar_t* text) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return -1;
  HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return extent.cy;
}

TEST_F(DisplayScaleTest, MenuBesideTheItemWithRowsAndIconsAtTheDisplayScale) {
  const int dpi = PrefixDpi();
  ASSERT_TRUE(DoubleClickItem(kFolderItem));
  ASSERT_TRUE(ShowsFolder(kFolder + "\\"));

  // A folder's menu has three rows, a plain file's one: the difference is two rows.
  struct Opened {
    RECT label, icon, menu;
    int height;
  };
  auto open = [&](const std::string& text, Opened* opened) -> ::testing::AssertionResult {
    int index = -1;
    auto found = WaitForItem(text, &index);
    if (!found) return found;
    auto label = ListItemScreenRect(list_, index, LVIR_LABEL);
    auto icon = ListItemScreenRect(list_, index, LVIR_ICON);
    if (!label || !icon) return ::testing::AssertionFailure() << "no rectangles for " << text;
    if (!RightClickAt(Center(*label))) return ::testing::AssertionFailure() << "no right click";
    HWND menu = nullptr;
    auto rect = OpenedMenu(&menu);
    if (!rect) return ::testing::AssertionFailure() << "no menu on " << text;
    RECT client{};
    GetClientRect(menu, &client);
    if (!PressKeyAtKeyboard(VK_ESCAPE) || !WaitUntil([&] { return !IsWindowVisible(menu); }, kWindowTimeout))
      return ::testing::AssertionFailure() << "the menu stayed open";
    *opened = {*label, *icon, *rect, client.bottom};
    return ::testing::AssertionSuccess();
  };
  Opened folder{}, file{};
  ASSERT_TRUE(open("Sub", &folder));
  ASSERT_TRUE(open("Plain.txt", &file));

  const int row = (folder.height - file.height) / 2;
  const int text = MenuTextHeight(L"升级为强加密");
  std::printf("dpi %d: item %ld,%ld-%ld,%ld, menu at %ld,%ld (%+ld, %+ld from the item's bottom right), "
              "rows %d px for text %d px, icons %ldx%ld px\n",
              dpi, folder.label.left, folder.label.top, folder.label.right, folder.label.bottom, folder.menu.left,
              folder.menu.top, folder.menu.left - folder.label.right, folder.menu.top - folder.label.bottom, row, text,
              folder.icon.right - folder.icon.left, folder.icon.bottom - folder.icon.top);

  // Beside the item: at its right edge, level with it.
  for (const Opened& at : {folder, file}) {
    EXPECT_LE(std::abs(at.menu.left - at.label.right), Scaled(4, dpi));
    EXPECT_GE(at.menu.top, at.label.top - Scaled(8, dpi));
    EXPECT_LE(at.menu.top, at.label.bottom);
  }
  // Rows of 25 px at 96 dpi, taller with the scale, and never lower than their text.
  EXPECT_EQ(row, std::max(Scaled(25, dpi), text));
  EXPECT_GT(text, 0);
  // The list's icons at the size the dpi asks for; the drive selector shows the same list.
  EXPECT_EQ(folder.icon.right - folder.icon.left, Scaled(16, dpi));
  EXPECT_EQ(folder.icon.bottom - folder.icon.top, Scaled(16, dpi));
  EXPECT_GE(ComboItemHeight(GetDlgItem(main_, 1004), 0), Scaled(16, dpi));
}

// Moved to a monitor of another dpi, the window takes the rectangle the system suggests
// and lists its folder again.
TEST_F(DisplayScaleTest, DpiChangeTakesTheSuggestedRectangle) {
  const int dpi = PrefixDpi();
  RECT before{};
  ASSERT_TRUE(GetWindowRect(main_, &before));
  const RECT suggested{before.left + 40, before.top + 30, before.right + 40 + Scaled(60, dpi),
                       before.bottom + 30 + Scaled(20, dpi)};
  RemoteMemory remote(process_.id(), sizeof suggested);
  ASSERT_TRUE(remote.ok() && remote.Write(0, &suggested, sizeof suggested));
  DWORD_PTR ignored = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                  reinterpret_cast<LPARAM>(remote.address()), SMTO_ABORTIFHUNG, 5000, &ignored));
  RECT after{};
  ASSERT_TRUE(GetWindowRect(main_, &after));
  EXPECT_TRUE(EqualRect(&after, &suggested)) << after.left << "," << after.top << "-" << after.right << ","
                                             << after.bottom;
  int index = -1;
  EXPECT_TRUE(WaitForItem(kFolderItem, &index));
  auto icon = ListItemScreenRect(list_, index, LVIR_ICON);
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->right - icon->left, Scaled(16, dpi));
}

}  // namespace
}  // namespace qz::e2e
