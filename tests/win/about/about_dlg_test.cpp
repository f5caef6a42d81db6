// The About dialog run modally, driven from a second thread: its frame and banner, the
// vendor link as the program sets it up, a click on the link, the tooltip through the modal
// loop, and the close button.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "about_dlg.h"
#include "link_test_support.h"
#include "product_address.h"
#include "resource.h"
#include "support/wait.h"
#include "support/window_query.h"
#include "text_conversion.h"
#include "ui_test_support.h"

namespace {

using qz::wintest::FocusOf;
using qz::wintest::Millis;
using qz::wintest::TextOf;
using qz::wintest::WaitUntil;
using uitest::RunModal;

TEST(AboutDialogTest, ShowsTheBannerAndLinksToTheVendor) {
  CAboutDlg about;
  INT_PTR result = RunModal(about, [&](HWND dialog) {
    EXPECT_EQ(WideToUtf8(TextOf(dialog)), "Lockmere");
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_POPUP), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_POPUP));

    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);

    // The banner bitmap.
    HWND picture = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) picture = child;
    ASSERT_TRUE(picture);
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_TRUE(bitmap);
    BITMAP shown = {};
    GetObjectW(bitmap, sizeof(shown), &shown);
    HBITMAP resource = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BANNER));
    BITMAP original = {};
    GetObjectW(resource, sizeof(original), &original);
    DeleteObject(resource);
    EXPECT_EQ(shown.bmWidth, original.bmWidth);
    EXPECT_EQ(shown.bmHeight, original.bmHeight);

    // The link shows the host and opens the site; it is fitted to its text.
    HWND link = GetDlgItem(dialog, IDC_VENDOR_LINK);
    EXPECT_EQ(WideToUtf8(TextOf(link)), VendorSiteAddress());
    EXPECT_EQ(about.m_link.m_hWnd, link);
    EXPECT_EQ(about.m_link.m_strURL, VendorSiteUrl());
    EXPECT_EQ(about.m_link.m_toolTip.GetToolText(&about.m_link, CHyperLink::kToolId),
              VendorSiteUrl());
    const SIZE text = linktest::TextExtent(about.m_link.m_font, VendorSiteAddress());
    RECT linkRect = linktest::RectInParent(link);
    EXPECT_EQ(linkRect.right - linkRect.left, text.cx);
    EXPECT_TRUE(IsWindowVisible(link));

    // The close button has the focus, so the link starts in the link colour.
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDOK));
    EXPECT_EQ(linktest::AskColour(dialog, link).text, CHyperLink::s_clrLink);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(about.m_hWnd, nullptr);
}

TEST(AboutDialogTest, ClickedLinkOpensTheSiteAndShowsVisitedOnceLeft) {
  linktest::RecordedLinkCalls calls;
  CAboutDlg about;
  RunModal(about, [&](HWND dialog) {
    HWND link = GetDlgItem(dialog, IDC_VENDOR_LINK);
    PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    // Posted messages come after sent ones: wait for the click to be handled.
    EXPECT_TRUE(WaitUntil([&] { return about.m_link.m_bVisited != FALSE; }, Millis(5000)));
    EXPECT_EQ(FocusOf(dialog), link);
    EXPECT_EQ(linktest::AskColour(dialog, link).text, CHyperLink::s_clrActive);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
    EXPECT_EQ(linktest::AskColour(dialog, link).text, CHyperLink::s_clrVisited);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_EQ(calls.shell.size(), 1u);
  EXPECT_EQ(calls.shell[0].file, VendorSiteUrl());
  EXPECT_TRUE(about.m_link.m_bVisited);
}

TEST(AboutDialogTest, TooltipShowsTheUrlWhenTheMouseRestsOnTheLink) {
  CAboutDlg about;
  RunModal(about, [&](HWND dialog) {
    HWND link = GetDlgItem(dialog, IDC_VENDOR_LINK);
    RECT rect;
    GetWindowRect(link, &rect);
    // Real mouse moves reach the link through the modal loop, which relays them.
    SetCursorPos(rect.left + 2, (rect.top + rect.bottom) / 2);
    Sleep(50);
    SetCursorPos(rect.left + 4, (rect.top + rect.bottom) / 2);
    HWND tip = about.m_link.m_toolTip.m_hWnd;
    const bool shown = WaitUntil([&] { return IsWindowVisible(tip) != FALSE; }, Millis(5000));
    EXPECT_TRUE(shown);
    if (shown) {
      EXPECT_EQ(WideToUtf8(TextOf(tip)), VendorSiteUrl());
    }
    SetCursorPos(0, 0);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

}  // namespace
