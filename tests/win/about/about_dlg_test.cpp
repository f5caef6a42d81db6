// The About dialog run modally, driven from a second thread: its template, the vendor
// link as the program sets it up, a click on the link, the tooltip through the modal
// loop, and the close button.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

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

struct Control {
  int id;
  const char* text;  // UTF-8
  RECT units;        // x, y, width, height in dialog units
};

const Control kControls[] = {
    {-1, "Lockmere 3.01 版", {36, 15, 107, 9}},
    {IDOK, "关闭(&X)", {120, 150, 50, 14}},
    {-1, "本工具使用简单，加密方法安全可靠，不用安装，直接拷贝即可使用。", {33, 39, 248, 10}},
    {-1, "单个文件加密：双击要加密的文件，输入密码后按“确定”完成加密。", {12, 59, 250, 8}},
    {-1, "整个目录加密：在要加密的目录上按鼠标右键，选加密，输入你的密码按确定。", {12, 80, 284, 8}},
    {-1, "加密前请务必先备份好数据，先试过加密解密都没问题再正式加密。", {16, 119, 245, 8}},
    {-1, "单个文件解密：双击要加密的文件，输入密码后按“确定”完成解密。", {12, 69, 248, 8}},
    {-1, "整个目录解密：在要加密的目录上按鼠标右键，选解密，输入你的密码按确定。", {11, 92, 287, 8}},
    {-1, "             子目录中的文件不作处理。", {14, 106, 243, 8}},
    {-1, "适用范围：可加密100M以内的各种类型。解密只限于用本工具加密的文件。", {13, 49, 285, 8}},
    {IDC_VENDOR_LINK, nullptr, {198, 152, 89, 8}},
    {-1, "本公司不承担使用此工具的任何损失。", {18, 134, 267, 8}},
    {-1, nullptr, {171, 2, 121, 31}},  // the picture
};

std::vector<HWND> ChildrenOf(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

// The dialog manager converts position and size separately.
RECT ToPixels(HWND dialog, const RECT& units) {
  RECT rect = units;
  MapDialogRect(dialog, &rect);
  return {rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

TEST(AboutDialogTest, ShowsTheTemplateAndLinksToTheVendor) {
  CAboutDlg about;
  INT_PTR result = RunModal(about, [&](HWND dialog) {
    EXPECT_EQ(WideToUtf8(TextOf(dialog)), "Lockmere");
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_POPUP), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_POPUP));
    RECT client, expectedClient = {0, 0, 299, 181};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &expectedClient);
    EXPECT_TRUE(EqualRect(&client, &expectedClient));

    const std::vector<HWND> children = ChildrenOf(dialog);
    ASSERT_EQ(children.size(), std::size(kControls));
    for (size_t i = 0; i < children.size(); ++i) {
      const Control& c = kControls[i];
      HWND child = children[i];
      SCOPED_TRACE(i);
      EXPECT_EQ(GetDlgCtrlID(child), c.id);
      const RECT expected = ToPixels(dialog, c.units);
      const RECT actual = linktest::RectInParent(child);
      EXPECT_EQ(actual.left, expected.left);
      EXPECT_EQ(actual.top, expected.top);
      // The link is fitted to its text and the picture takes its bitmap's size.
      if (c.text) {
        EXPECT_EQ(WideToUtf8(TextOf(child)), c.text);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
      }
    }
    EXPECT_TRUE(GetWindowLongPtrW(children[0], GWL_STYLE) & SS_NOPREFIX);
    EXPECT_TRUE(GetWindowLongPtrW(children[1], GWL_STYLE) & BS_DEFPUSHBUTTON);

    // The banner bitmap.
    HWND picture = children.back();
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
