// The context menu's owner-drawn items: conversion and records, measuring, drawing into
// a memory canvas, and a real popup tracked on this thread while a second thread picks
// an item with the keyboard.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "menu_test_support.h"
#include "owner_draw_menu.h"
#include "support/message_queue.h"
#include "support/wait.h"
#include "support/window_query.h"

namespace {

using namespace menutest;
using qz::wintest::FirstVisible;
using qz::wintest::kPopupMenuClass;
using qz::wintest::Millis;
using qz::wintest::OfClass;
using qz::wintest::PumpMessages;
using qz::wintest::ThreadWindows;
using qz::wintest::WaitUntil;

// Opens the internals that the program never fills: the command-to-image table and the
// image lists. Counts the owner-draw requests that reach it.
class InspectableMenu : public COwnerDrawMenu {
 public:
  using COwnerDrawMenu::FindImageForCommand;
  std::atomic<int> measures{0}, draws{0};
  void MeasureItem(MEASUREITEMSTRUCT* item) override {
    ++measures;
    COwnerDrawMenu::MeasureItem(item);
  }
  void DrawItem(const DRAWITEMSTRUCT* item) override {
    ++draws;
    COwnerDrawMenu::DrawItem(item);
  }
  void MapImage(int image, int command) { m_imageMap.push_back({image, command}); }
  // Seven different colours, so that every part of a drawing can be told apart (the
  // system's light 3-D colour may equal its menu colour).
  void UseTestColours();
  // One red 20 x 20 image as image 0 of the item images.
  void AddRedImage() {
    HIMAGELIST list = ImageList_Create(20, 20, ILC_COLOR32 | ILC_MASK, 1, 1);
    Canvas red(20, 20, RGB(255, 0, 0));
    HBITMAP bitmap = CreateCompatibleBitmap(red.dc(), 20, 20);
    HDC copy = CreateCompatibleDC(red.dc());
    HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, 20, 20, red.dc(), 0, 0, SRCCOPY);
    SelectObject(copy, old);
    DeleteDC(copy);
    ImageList_AddMasked(list, bitmap, RGB(0, 255, 0));
    DeleteObject(bitmap);
    m_imlItems.Attach(list, true);
  }
};

constexpr COLORREF kText = RGB(0, 0, 0), kHighlightText = RGB(255, 255, 255),
                   kBack = RGB(240, 240, 240), kHighlight = RGB(0, 0, 200),
                   kLight = RGB(255, 255, 160), kShadow = RGB(128, 128, 128),
                   kGray = RGB(90, 90, 90);

void InspectableMenu::UseTestColours() {
  m_clrText = kText;
  m_clrHighlightText = kHighlightText;
  m_clrBack = kBack;
  m_clrHighlight = kHighlight;
  m_clr3dHilight = kLight;
  m_clr3dShadow = kShadow;
  m_clrGrayText = kGray;
}

const MenuItemRecord* RecordOf(HMENU menu, UINT position) {
  return reinterpret_cast<const MenuItemRecord*>(DataOf(menu, position));
}

// The program's folder menu: "加密" then "解密".
void FillFolderMenu(CMenu& menu) {
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenuUtf8(0, ID_ENCRYPT, "加密");
  menu.AppendMenuUtf8(0, ID_DECRYPT, "解密");
}

// ---------------------------------------------------------------------------------------
// Conversion

TEST(ConversionTest, EveryItemGetsARecordOnceAndKeepsItsState) {
  InspectableMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenuUtf8(MF_GRAYED, ID_ENCRYPT, "加密");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenuUtf8(MF_CHECKED, ID_DECRYPT, "解密\tCtrl+D");
  menu.SetDefaultItem(ID_ENCRYPT);

  for (int pass = 1; pass <= 2; ++pass) {
    SCOPED_TRACE(pass);
    menu.ConvertToOwnerDraw(&menu);
    ASSERT_EQ(menu.GetRecordCount(), 3);
    // Visited from the last position to the first.
    const MenuItemRecord* decrypt = menu.GetRecord(0);
    const MenuItemRecord* separator = menu.GetRecord(1);
    const MenuItemRecord* encrypt = menu.GetRecord(2);
    EXPECT_EQ(decrypt->nCommand, static_cast<int>(ID_DECRYPT));
    EXPECT_STREQ(decrypt->szText, L"解密\tCtrl+D");
    EXPECT_EQ(decrypt->nImage, -1);
    EXPECT_EQ(separator->nCommand, COwnerDrawMenu::kSeparator);
    EXPECT_EQ(separator->nImage, COwnerDrawMenu::kSeparator);
    EXPECT_STREQ(separator->szText, L"--");
    EXPECT_STREQ(encrypt->szText, L"加密");

    EXPECT_EQ(RecordOf(menu, 0), encrypt);
    EXPECT_EQ(RecordOf(menu, 1), separator);
    EXPECT_EQ(RecordOf(menu, 2), decrypt);
    for (UINT position = 0; position < 3; ++position) EXPECT_TRUE(TypeOf(menu, position) & MFT_OWNERDRAW);
    EXPECT_EQ(menu.GetMenuItemID(0), ID_ENCRYPT);
    EXPECT_EQ(menu.GetMenuItemID(1), 0u);
    EXPECT_EQ(menu.GetMenuItemID(2), ID_DECRYPT);
    EXPECT_TRUE(menu.GetMenuState(ID_ENCRYPT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(ID_DECRYPT, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED), ID_ENCRYPT);
  }
}

TEST(ConversionTest, EmptyMenuStaysEmptyAndBitmapItemsStayAsTheyAre) {
  InspectableMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  CWnd nobody;
  menu.ConvertToOwnerDraw(&menu);
  menu.UpdateCommandStates(&menu, &nobody);
  EXPECT_EQ(menu.GetRecordCount(), 0);
  EXPECT_EQ(menu.GetMenuItemCount(), 0);

  Canvas picture(8, 8, RGB(0, 0, 0));
  HBITMAP bitmap = CreateCompatibleBitmap(picture.dc(), 8, 8);
  menu.AppendMenu(MF_BITMAP, 7, reinterpret_cast<const wchar_t*>(bitmap));
  menu.ConvertToOwnerDraw(&menu);
  EXPECT_EQ(menu.GetRecordCount(), 0);
  EXPECT_FALSE(TypeOf(menu, 0) & MFT_OWNERDRAW);
  menu.DestroyMenu();
  DeleteObject(bitmap);
}

TEST(ConversionTest, SubMenuEntriesBecomeTitlesAndStillOpenTheirConvertedSubMenus) {
  InspectableMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  HMENU files = CreatePopupMenu(), more = CreatePopupMenu();
  AppendMenuW(more, MF_STRING, 2, L"关闭");
  AppendMenuW(files, MF_STRING, 1, L"打开");
  AppendMenuW(files, MF_POPUP, reinterpret_cast<UINT_PTR>(more), L"更多");
  menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(files), L"文件");

  for (int pass = 1; pass <= 2; ++pass) {
    SCOPED_TRACE(pass);
    menu.ConvertToOwnerDraw(&menu);
    // Sub-menus first: "关闭", then the "更多" title, "打开", and the top "文件" title.
    ASSERT_EQ(menu.GetRecordCount(), 4);
    EXPECT_EQ(menu.GetRecord(0)->nCommand, 2);
    EXPECT_STREQ(menu.GetRecord(1)->szText, L"更多");
    EXPECT_EQ(menu.GetRecord(1)->nCommand, COwnerDrawMenu::kSubMenuTitle);
    EXPECT_EQ(menu.GetRecord(2)->nCommand, 1);
    EXPECT_STREQ(menu.GetRecord(3)->szText, L"文件");
    EXPECT_EQ(menu.GetRecord(3)->nCommand, COwnerDrawMenu::kTopSubMenuTitle);
    EXPECT_EQ(menu.GetRecord(3)->nImage, COwnerDrawMenu::kTopSubMenuTitle);

    EXPECT_EQ(RecordOf(menu, 0), menu.GetRecord(3));
    EXPECT_EQ(menu.GetSubMenu(0), files);
    EXPECT_EQ(GetSubMenu(files, 1), more);
    EXPECT_EQ(RecordOf(files, 1), menu.GetRecord(1));
    EXPECT_EQ(RecordOf(more, 0), menu.GetRecord(0));
  }

  // The depth count went back down: another menu's entry is a top title again.
  InspectableMenu other;
  ASSERT_TRUE(other.CreatePopupMenu());
  other.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"编辑");
  other.ConvertToOwnerDraw(&other);
  ASSERT_EQ(other.GetRecordCount(), 1);
  EXPECT_EQ(other.GetRecord(0)->nCommand, COwnerDrawMenu::kTopSubMenuTitle);
}

TEST(ConversionTest, LongLabelsAreCutToTheRecordWithoutSplittingACharacter) {
  InspectableMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  std::wstring plain(200, L'A');
  std::wstring pair = std::wstring(126, L'B') + L"\U0001F512" + L"C";  // the pair at 127 and 128
  menu.AppendMenu(0, 1, plain.c_str());
  menu.AppendMenu(0, 2, pair.c_str());
  menu.ConvertToOwnerDraw(&menu);
  ASSERT_EQ(menu.GetRecordCount(), 2);
  EXPECT_EQ(std::wstring(menu.GetRecord(1)->szText), plain.substr(0, 127));
  EXPECT_EQ(std::wstring(menu.GetRecord(0)->szText), pair.substr(0, 126));
}

TEST(ConversionTest, CommandsTakeTheFirstImageMappedToThem) {
  InspectableMenu menu;
  EXPECT_EQ(menu.FindImageForCommand(ID_ENCRYPT), -1);
  menu.MapImage(5, ID_ENCRYPT);
  menu.MapImage(6, ID_ENCRYPT);
  menu.MapImage(7, ID_DECRYPT);
  EXPECT_EQ(menu.FindImageForCommand(ID_ENCRYPT), 5);
  EXPECT_EQ(menu.FindImageForCommand(ID_DECRYPT), 7);
  EXPECT_EQ(menu.FindImageForCommand(99), -1);
  FillFolderMenu(menu);
  menu.AppendMenu(0, 99, L"其他");
  menu.ConvertToOwnerDraw(&menu);
  EXPECT_EQ(RecordOf(menu, 0)->nImage, 5);
  EXPECT_EQ(RecordOf(menu, 1)->nImage, 7);
  EXPECT_EQ(RecordOf(menu, 2)->nImage, -1);
}

// ---------------------------------------------------------------------------------------
// Measuring

class MeasureTest : public testing::Test {
 protected:
  MEASUREITEMSTRUCT Measured(const wchar_t* text, UINT flags = 0) {
    InspectableMenu menu;
    EXPECT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(flags, flags & MF_SEPARATOR ? 0 : 1, text);
    menu.ConvertToOwnerDraw(&menu);
    MEASUREITEMSTRUCT request = MeasureRequest(1, DataOf(menu, 0));
    menu.MeasureItem(&request);
    return request;
  }
};

TEST_F(MeasureTest, RowsAreAtLeastTwentyFivePixelsWithTheImageColumnAndMargins) {
  MEASUREITEMSTRUCT empty = Measured(L"");
  EXPECT_EQ(empty.itemWidth, 100u);
  EXPECT_EQ(empty.itemHeight, 25u);

  MEASUREITEMSTRUCT separator = Measured(nullptr, MF_SEPARATOR);
  EXPECT_EQ(separator.itemWidth, 10u);
  EXPECT_EQ(separator.itemHeight, 6u);

  HFONT font = CreateMenuFont(false);
  SIZE label = TextSize(font, L"加密");
  DeleteObject(font);
  ASSERT_LE(label.cy, 25);
  MEASUREITEMSTRUCT encrypt = Measured(L"加密");
  EXPECT_EQ(encrypt.itemWidth, static_cast<UINT>(label.cx + 17 + 25));
  EXPECT_EQ(encrypt.itemHeight, 25u);

  // The tab counts with its expanded width.
  MEASUREITEMSTRUCT tabbed = Measured(L"加密\tCtrl+E");
  MEASUREITEMSTRUCT joined = Measured(L"加密Ctrl+E");
  EXPECT_GT(tabbed.itemWidth, joined.itemWidth);
  EXPECT_EQ(tabbed.itemHeight, 25u);
}

TEST_F(MeasureTest, OtherRequestsAreLeftUntouched) {
  InspectableMenu menu;
  FillFolderMenu(menu);
  menu.ConvertToOwnerDraw(&menu);
  MEASUREITEMSTRUCT button = MeasureRequest(ID_ENCRYPT, DataOf(menu, 0));
  button.CtlType = ODT_BUTTON;
  MEASUREITEMSTRUCT empty = MeasureRequest(ID_ENCRYPT, 0);
  menu.MeasureItem(&button);
  menu.MeasureItem(&empty);
  EXPECT_EQ(button.itemWidth + button.itemHeight + empty.itemWidth + empty.itemHeight, 0u);
}

// ---------------------------------------------------------------------------------------
// Drawing

constexpr COLORREF kUntouched = RGB(1, 2, 3);

class DrawTest : public testing::Test {
 protected:
  void SetUp() override {
    FillFolderMenu(menu);
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(0, 3, L"加密\tCtrl+E");
    menu.ConvertToOwnerDraw(&menu);
    menu.UseTestColours();
  }
  // Draws item position into a fresh canvas at rect.
  void Draw(Canvas& canvas, UINT position, UINT state, RECT rect) {
    DRAWITEMSTRUCT request = DrawRequest(canvas, DataOf(menu, position), state, rect);
    menu.DrawItem(&request);
  }
  InspectableMenu menu;
};

TEST_F(DrawTest, SelectedRowWithoutImageIsOneBarAndItsTextStartsAfterTheImageColumn) {
  Canvas selected(150, 25, kUntouched), shifted(170, 25, kUntouched);
  Draw(selected, 0, ODS_SELECTED, {0, 0, 150, 25});
  Draw(shifted, 0, ODS_SELECTED, {20, 0, 170, 25});
  COLORREF bar = kHighlight;
  EXPECT_EQ(selected.Count(bar, {0, 0, 28, 25}), 28 * 25);  // image column and gap
  EXPECT_EQ(selected.Count(kUntouched), 0);
  int ink = selected.LeftmostOther(bar, {0, 0, 150, 25});
  EXPECT_GE(ink, 28);
  EXPECT_LT(ink, 40);
  EXPECT_GT(selected.Count(kHighlightText), 0);

  // An item further right is drawn the same, just moved.
  EXPECT_EQ(shifted.Count(kUntouched, {0, 0, 20, 25}), 20 * 25);
  EXPECT_EQ(shifted.LeftmostOther(bar, {20, 0, 170, 25}), ink + 20);

  Canvas plain(150, 25, kUntouched);
  Draw(plain, 0, 0, {0, 0, 150, 25});
  EXPECT_EQ(plain.Count(kBack, {0, 0, 28, 25}), 28 * 25);
  EXPECT_GT(plain.Count(kText), 0);
  EXPECT_EQ(plain.Count(bar), 0);
}

TEST_F(DrawTest, DisabledTextIsEmbossedOrInTheBackgroundColourOnTheBar) {
  Canvas enabled(150, 25, kUntouched), disabled(150, 25, kUntouched), onBar(150, 25, kUntouched);
  Draw(enabled, 0, 0, {0, 0, 150, 25});
  Draw(disabled, 0, ODS_DISABLED | ODS_GRAYED, {0, 0, 150, 25});
  Draw(onBar, 0, ODS_DISABLED | ODS_GRAYED | ODS_SELECTED, {0, 0, 150, 25});

  EXPECT_EQ(enabled.Count(kGray), 0);
  EXPECT_GT(disabled.Count(kGray), 0);
  EXPECT_GT(disabled.Count(kLight), 0);
  EXPECT_EQ(disabled.Count(kText), 0);
  // The light copy lies one pixel right of and below the grey one.
  COLORREF back = kBack;
  EXPECT_EQ(disabled.Count(kLight, {0, 0, 150, 1}), 0);
  RECT all = {0, 0, 150, 25};
  EXPECT_EQ(disabled.LeftmostOther(back, all), enabled.LeftmostOther(back, all));
  EXPECT_EQ(disabled.RightmostOther(back, all), enabled.RightmostOther(back, all) + 1);

  EXPECT_GT(onBar.Count(kHighlight), 0);
  EXPECT_GT(onBar.Count(back), 0);
  EXPECT_EQ(onBar.Count(kHighlightText), 0);
  EXPECT_EQ(onBar.Count(kGray), 0);

  // Greyed but not disabled counts as enabled.
  Canvas grayedOnly(150, 25, kUntouched);
  Draw(grayedOnly, 0, ODS_GRAYED, {0, 0, 150, 25});
  EXPECT_EQ(grayedOnly.Count(kGray), 0);
  EXPECT_GT(grayedOnly.Count(kText), 0);
}

TEST_F(DrawTest, SeparatorIsAShadowLineAboveALightLineTwoPixelsIn) {
  Canvas canvas(100, 6, kUntouched);
  Draw(canvas, 2, 0, {0, 0, 100, 6});
  EXPECT_EQ(canvas.Count(kShadow, {2, 2, 98, 3}), 96);
  EXPECT_EQ(canvas.Count(kLight, {2, 3, 98, 4}), 96);
  EXPECT_EQ(canvas.Count(kUntouched), 100 * 6 - 2 * 96);
}

TEST_F(DrawTest, AcceleratorIsRightAlignedFifteenPixelsInAndTheDefaultItemIsBold) {
  Canvas tabbed(200, 25, kUntouched), plain(200, 25, kUntouched), bold(200, 25, kUntouched);
  Draw(tabbed, 3, 0, {0, 0, 200, 25});
  Draw(plain, 0, 0, {0, 0, 200, 25});
  Draw(bold, 0, ODS_DEFAULT, {0, 0, 200, 25});
  COLORREF back = kBack;
  RECT all = {0, 0, 200, 25};
  int right = tabbed.RightmostOther(back, all);
  EXPECT_LE(right, 200 - 15);
  EXPECT_GE(right, 200 - 15 - 3);
  EXPECT_EQ(tabbed.LeftmostOther(back, all), plain.LeftmostOther(back, all));

  EXPECT_LT(bold.Count(back), plain.Count(back));  // more ink
}

TEST_F(DrawTest, ImagesAndCheckMarksKeepTheImageColumnOutOfTheBar) {
  menu.AddRedImage();
  menu.MapImage(0, 5);
  menu.AppendMenu(0, 5, L"图像");
  menu.ConvertToOwnerDraw(&menu);
  ASSERT_EQ(RecordOf(menu, 4)->nImage, 0);

  Canvas selected(150, 25, kUntouched), disabled(150, 25, kUntouched), checked(150, 25, kUntouched);
  Draw(selected, 4, ODS_SELECTED, {0, 0, 150, 25});
  Draw(disabled, 4, ODS_DISABLED, {0, 0, 150, 25});
  Draw(checked, 0, ODS_CHECKED | ODS_SELECTED, {0, 0, 150, 25});

  // Raised frame, the image centred in it, the bar from just after the column.
  EXPECT_EQ(selected.At(0, 0), kLight);
  EXPECT_EQ(selected.At(24, 24), kShadow);
  EXPECT_EQ(selected.Count(RGB(255, 0, 0)), 20 * 20);
  EXPECT_EQ(selected.Count(RGB(255, 0, 0), {2, 2, 22, 22}), 20 * 20);
  EXPECT_EQ(selected.At(25, 5), kUntouched);
  EXPECT_EQ(selected.At(26, 5), kHighlight);

  // Disabled: a flat frame and the image drawn as disabled, no longer red.
  EXPECT_EQ(disabled.At(0, 0), kBack);
  EXPECT_EQ(disabled.Count(RGB(255, 0, 0)), 0);
  EXPECT_LT(disabled.Count(kUntouched, {2, 2, 22, 22}), 20 * 20);

  EXPECT_EQ(checked.Count(kUntouched, {0, 0, 26, 25}), 26 * 25);
  EXPECT_EQ(checked.At(26, 5), kHighlight);
}

TEST_F(DrawTest, TopSubMenuTitleIsCentredAndRaisedWhenSelected) {
  HMENU sub = CreatePopupMenu();
  menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"文件");
  menu.ConvertToOwnerDraw(&menu);
  ASSERT_EQ(RecordOf(menu, 4)->nCommand, COwnerDrawMenu::kTopSubMenuTitle);

  Canvas raised(100, 25, kUntouched), flat(100, 25, kUntouched);
  Draw(raised, 4, ODS_SELECTED, {0, 0, 100, 25});
  Draw(flat, 4, 0, {0, 0, 100, 25});
  EXPECT_EQ(raised.At(0, 0), kShadow);
  EXPECT_EQ(raised.At(99, 24), kLight);
  EXPECT_EQ(flat.Count(kUntouched), 0);
  EXPECT_EQ(flat.Count(kHighlight), 0);
  COLORREF back = kBack;
  RECT all = {0, 0, 100, 25};
  int left = flat.LeftmostOther(back, all), right = flat.RightmostOther(back, all);
  EXPECT_LE(std::abs(left - (99 - right)), 1);
}

TEST_F(DrawTest, OtherRequestsPaintNothing) {
  Canvas canvas(150, 25, kUntouched);
  DRAWITEMSTRUCT listBox = DrawRequest(canvas, DataOf(menu, 0), ODS_SELECTED, {0, 0, 150, 25});
  listBox.CtlType = ODT_LISTBOX;
  DRAWITEMSTRUCT noRecord = DrawRequest(canvas, 0, ODS_SELECTED, {0, 0, 150, 25});
  menu.DrawItem(&listBox);
  menu.DrawItem(&noRecord);
  EXPECT_EQ(canvas.Count(kUntouched), 150 * 25);
}

// A menu as made draws in the system's colours: the menu colour and text colour for a
// plain row, the highlight colours for the selected bar.
TEST(SystemColourTest, RowsAreDrawnInTheSystemsColours) {
  InspectableMenu menu;
  FillFolderMenu(menu);
  menu.ConvertToOwnerDraw(&menu);
  Canvas plain(150, 25, kUntouched), selected(150, 25, kUntouched);
  DRAWITEMSTRUCT request = DrawRequest(plain, DataOf(menu, 0), 0, {0, 0, 150, 25});
  menu.DrawItem(&request);
  request = DrawRequest(selected, DataOf(menu, 0), ODS_SELECTED, {0, 0, 150, 25});
  menu.DrawItem(&request);
  EXPECT_EQ(plain.Count(GetSysColor(COLOR_MENU), {0, 0, 28, 25}), 28 * 25);
  EXPECT_GT(plain.Count(GetSysColor(COLOR_MENUTEXT)), 0);
  EXPECT_EQ(selected.Count(GetSysColor(COLOR_HIGHLIGHT), {0, 0, 28, 25}), 28 * 25);
  EXPECT_GT(selected.Count(GetSysColor(COLOR_HIGHLIGHTTEXT)), 0);
}

// ---------------------------------------------------------------------------------------
// Tracking the real popup

class TrackTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(owner.Create(IDD_MENU_OWNER));
    owner.ShowWindow(SW_SHOW);
    FillFolderMenu(menu);
    menu.ConvertToOwnerDraw(&menu);
    menu.UpdateCommandStates(&menu, &owner);
  }
  void TearDown() override { owner.DestroyWindow(); }

  // Tracks the menu on this thread; a second thread waits for the popup, notes its
  // client size and presses the keys. Without a popup it gives up with Esc.
  int Track(UINT flags, std::vector<WPARAM> keys) {
    DWORD uiThread = GetCurrentThreadId();
    std::thread script([&, uiThread] {
      HWND popup = nullptr;
      bool shown = WaitUntil([&] {
        popup = FirstVisible(ThreadWindows(uiThread), OfClass(kPopupMenuClass));
        return popup != nullptr;
      }, Millis(10000));
      if (!shown) {
        ADD_FAILURE() << "no popup menu appeared";
        PostThreadMessageW(uiThread, WM_KEYDOWN, VK_ESCAPE, 0);
        return;
      }
      GetClientRect(popup, &popupClient);
      for (WPARAM key : keys) PostMessageW(popup, WM_KEYDOWN, key, 1);
    });
    int result = menu.TrackPopupMenu(flags, 100, 100, &owner);
    script.join();
    PumpMessages();
    return result;
  }

  OwnerDialog owner;
  InspectableMenu menu;
  RECT popupClient = {};
};

TEST_F(TrackTest, ChoosingEncryptPostsItsCommandToTheOwner) {
  ASSERT_TRUE(Track(TPM_RIGHTBUTTON, {VK_DOWN, VK_RETURN}));
  EXPECT_EQ(owner.commands, std::vector<UINT>{ID_ENCRYPT});
  // Both rows were measured and drawn by the menu object, and the popup has their height.
  EXPECT_GE(menu.measures, 2);
  EXPECT_GE(menu.draws, 2);
  EXPECT_GE(popupClient.bottom, 2 * 25);
  EXPECT_LT(popupClient.bottom, 2 * 25 + 10);
  MEASUREITEMSTRUCT encrypt = MeasureRequest(ID_ENCRYPT, DataOf(menu, 0));
  menu.MeasureItem(&encrypt);
  EXPECT_GE(popupClient.right, static_cast<LONG>(encrypt.itemWidth));
}

TEST_F(TrackTest, WithReturnCommandTheChoiceComesBackInsteadOfBeingPosted) {
  EXPECT_EQ(Track(TPM_RIGHTBUTTON | TPM_RETURNCMD, {VK_DOWN, VK_DOWN, VK_RETURN}),
            static_cast<int>(ID_DECRYPT));
  EXPECT_EQ(Track(TPM_RIGHTBUTTON | TPM_RETURNCMD, {VK_ESCAPE}), 0);
  EXPECT_TRUE(owner.commands.empty());
}

}  // namespace
