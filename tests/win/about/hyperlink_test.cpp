// The link control attached to statics of a modeless test dialog on the test's thread:
// colours through the reflected colour request, fitting to the text, attaching, the
// mouse, the keyboard and the tooltip.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "dialog.h"
#include "hyperlink.h"
#include "link_test_dialog.h"
#include "link_test_support.h"

namespace {

using linktest::AskColour;
using linktest::RectInParent;

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class LinkTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_.Create(IDD_LINK_TEST));
    ShowWindow(dialog_.m_hWnd, SW_SHOW);
    SetForegroundWindow(dialog_.m_hWnd);
    SetFocus(GetDlgItem(dialog_.m_hWnd, IDOK));
  }
  void TearDown() override {
    ReleaseCapture();
    if (dialog_.m_hWnd) DestroyWindow(dialog_.m_hWnd);
  }

  HWND Item(int id) const { return GetDlgItem(dialog_.m_hWnd, id); }
  void Attach(CHyperLink& link, int id) { ASSERT_TRUE(link.SubclassDlgItem(id, &dialog_)); }
  COLORREF Colour(const CHyperLink& link) {
    linktest::ColourAnswer answer = AskColour(dialog_.m_hWnd, link.m_hWnd);
    EXPECT_EQ(answer.brush, GetStockObject(NULL_BRUSH));
    EXPECT_EQ(answer.backgroundMode, TRANSPARENT);
    return answer.text;
  }
  void Click(const CHyperLink& link) {
    SendMessageW(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
    SendMessageW(link.m_hWnd, WM_LBUTTONUP, 0, At(2, 2));
  }
  void PressSpace(const CHyperLink& link) { SendMessageW(link.m_hWnd, WM_KEYDOWN, VK_SPACE, 1); }

  CDialog dialog_{IDD_LINK_TEST};
};

TEST_F(LinkTest, ColourGoesActiveThenVisitedAndNeverHoverByDefault) {
  linktest::RecordedLinkCalls calls;
  CHyperLink link;
  Attach(link, IDC_LINK_LEFT);
  EXPECT_EQ(Colour(link), CHyperLink::s_clrLink);

  // The mouse over the link: the hover colour stays unused without its option.
  SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, At(1, 1));
  ASSERT_TRUE(link.m_bHover);
  EXPECT_EQ(Colour(link), CHyperLink::s_clrLink);

  link.SetFocus();
  EXPECT_TRUE(link.m_bActive);
  EXPECT_EQ(Colour(link), CHyperLink::s_clrActive);

  PressSpace(link);  // opens: visited, but the focus keeps it active
  ASSERT_TRUE(link.m_bVisited);
  EXPECT_EQ(Colour(link), CHyperLink::s_clrActive);

  SetFocus(Item(IDOK));
  EXPECT_FALSE(link.m_bActive);
  EXPECT_FALSE(link.m_bHover);
  EXPECT_EQ(Colour(link), CHyperLink::s_clrVisited);
  EXPECT_EQ(GetCapture(), link.m_hWnd) << "losing the focus leaves the capture alone";
}

TEST_F(LinkTest, HoverAndActiveColoursFollowTheirOptions) {
  CHyperLink link;
  link.m_dwFlags |= CHyperLink::kUseHoverColour;
  Attach(link, IDC_LINK_LEFT);
  link.SetFocus();
  SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, At(1, 1));
  EXPECT_EQ(Colour(link), CHyperLink::s_clrHover);

  link.m_dwFlags = CHyperLink::kNoActiveColour;
  EXPECT_EQ(Colour(link), CHyperLink::s_clrLink) << "active colour switched off";
  link.m_bVisited = TRUE;
  EXPECT_EQ(Colour(link), CHyperLink::s_clrVisited);
}

TEST_F(LinkTest, MouseMoveCapturesOverTheLinkAndReleasesOutside) {
  CHyperLink link;
  Attach(link, IDC_LINK_LEFT);
  SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, At(1, 1));
  EXPECT_TRUE(link.m_bHover);
  EXPECT_EQ(GetCapture(), link.m_hWnd);

  SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, At(2, 2));  // still inside
  EXPECT_TRUE(link.m_bHover);
  EXPECT_EQ(GetCapture(), link.m_hWnd);

  RECT client;
  GetClientRect(link.m_hWnd, &client);
  SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, At(client.right + 5, 1));
  EXPECT_FALSE(link.m_bHover);
  EXPECT_NE(GetCapture(), link.m_hWnd);
}

TEST_F(LinkTest, FitsToItsTextByAlignment) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog_.m_hWnd, WM_GETFONT, 0, 0));
  struct Case {
    int id;
    enum { kLeft, kCentre, kRight } keep;
  } cases[] = {{IDC_LINK_LEFT, Case::kLeft},
               {IDC_LINK_CENTER, Case::kCentre},
               {IDC_LINK_RIGHT, Case::kRight},
               {IDC_LINK_NARROW_CENTER, Case::kCentre},
               {IDC_LINK_SIMPLE, Case::kLeft}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const RECT before = RectInParent(Item(c.id));
    CHyperLink link;
    Attach(link, c.id);
    const SIZE text = linktest::TextExtent(font, link.GetWindowTextUtf8());
    const RECT after = RectInParent(link.m_hWnd);
    const int width = before.right - before.left;
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.bottom - after.top, text.cy);
    switch (c.keep) {
      case Case::kLeft:
        EXPECT_EQ(after.left, before.left);
        EXPECT_EQ(after.right - after.left, text.cx);
        break;
      case Case::kRight:
        EXPECT_EQ(after.right, before.right);
        EXPECT_EQ(after.right - after.left, text.cx);
        break;
      case Case::kCentre: {
        const int inset = (width - text.cx) / 2;  // negative when the text is wider
        EXPECT_EQ(after.left, before.left + inset);
        EXPECT_EQ(after.right, before.right - inset);
        break;
      }
    }
  }
  // The narrow centred control has grown on both sides.
  const RECT narrow = RectInParent(Item(IDC_LINK_NARROW_CENTER));
  RECT template_rect = {100, 90, 120, 98};
  MapDialogRect(dialog_.m_hWnd, &template_rect);
  EXPECT_LT(narrow.left, template_rect.left);
  EXPECT_GT(narrow.right, template_rect.right);
}

TEST_F(LinkTest, CentreImageCentresVertically) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog_.m_hWnd, WM_GETFONT, 0, 0));
  const RECT before = RectInParent(Item(IDC_LINK_CENTER_IMAGE));
  CHyperLink link;
  Attach(link, IDC_LINK_CENTER_IMAGE);
  const SIZE text = linktest::TextExtent(font, "middle");
  const RECT after = RectInParent(link.m_hWnd);
  const int inset = ((before.bottom - before.top) - text.cy) / 2;
  EXPECT_EQ(after.top, before.top + inset);
  EXPECT_EQ(after.bottom, before.bottom - inset);
  EXPECT_EQ(after.left, before.left);
}

TEST_F(LinkTest, WithoutFontKeepsItsSizeAndNeverRefits) {
  HWND bare = CreateWindowExW(0, L"STATIC", L"no font here", WS_CHILD | WS_VISIBLE | SS_LEFT, 10,
                              150, 200, 40, dialog_.m_hWnd, nullptr, nullptr, nullptr);
  ASSERT_TRUE(bare);
  const RECT before = RectInParent(bare);
  CHyperLink link;
  ASSERT_TRUE(link.SubclassWindow(bare));
  EXPECT_EQ(link.m_font, nullptr);
  EXPECT_FALSE(link.m_dwFlags & CHyperLink::kFitToText);
  link.SetLinkUrl("http://127.0.0.1:1/other");
  const RECT after = RectInParent(bare);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(LinkTest, AttachingTakesTextAndUrlFromEachOther) {
  // An empty template text shows the URL set before attaching.
  CHyperLink preset;
  preset.m_strURL = "http://127.0.0.1:1/preset";
  Attach(preset, IDC_LINK_EMPTY);
  EXPECT_EQ(preset.GetWindowTextUtf8(), "http://127.0.0.1:1/preset");
  EXPECT_EQ(preset.m_strURL, "http://127.0.0.1:1/preset");

  // Otherwise the text becomes the URL.
  CHyperLink plain;
  Attach(plain, IDC_LINK_LEFT);
  EXPECT_EQ(plain.m_strURL, "left link");
  EXPECT_EQ(plain.m_toolTip.GetToolCount(), 1);
  EXPECT_EQ(plain.m_toolTip.GetToolText(&plain, CHyperLink::kToolId), "left link");

  // The link font is the dialog's, not underlined.
  LOGFONTW ours = {}, dialogs = {};
  GetObjectW(plain.m_font, sizeof(ours), &ours);
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog_.m_hWnd, WM_GETFONT, 0, 0)),
             sizeof(dialogs), &dialogs);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(plain.m_hWnd, WM_GETFONT, 0, 0)), plain.m_font);
  EXPECT_FALSE(ours.lfUnderline);
  EXPECT_EQ(ours.lfHeight, dialogs.lfHeight);
  EXPECT_EQ(std::wstring(ours.lfFaceName), std::wstring(dialogs.lfFaceName));
}

TEST_F(LinkTest, SetLinkUrlChangesTooltipButNotText) {
  CHyperLink link;
  Attach(link, IDC_LINK_LEFT);
  link.SetLinkUrl("http://127.0.0.1:1/new");
  EXPECT_EQ(link.m_strURL, "http://127.0.0.1:1/new");
  EXPECT_EQ(link.GetWindowTextUtf8(), "left link");
  EXPECT_EQ(link.m_toolTip.GetToolText(&link, CHyperLink::kToolId), "http://127.0.0.1:1/new");
  EXPECT_TRUE(IsWindowVisible(link.m_hWnd));
}

TEST_F(LinkTest, ClickOpensOnlyAddressesWithMarkersOtherwiseAsksForHelp) {
  struct Case {
    const char* url;
    bool opens;
  } cases[] = {{"readme", false},
               {"WWW.LOCKMERE.EXAMPLE", false},
               {"HTTP://LOCKMERE.EXAMPLE/", false},
               {"someone@lockmere", true},
               {"http://127.0.0.1:1/", true},
               {"lockmere.com", true},
               {"lockmere.net", true},
               {"www.lockmere", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    linktest::RecordedLinkCalls calls;
    CHyperLink link;
    link.m_strURL = c.url;
    Attach(link, IDC_LINK_LEFT);
    Click(link);
    EXPECT_EQ(GetFocus(), link.m_hWnd) << "the button takes the focus to the link";
    if (c.opens) {
      ASSERT_EQ(calls.shell.size(), 1u);
      EXPECT_EQ(calls.shell[0].file, c.url);
      EXPECT_EQ(calls.shell[0].verb, "open");
      EXPECT_FALSE(calls.shell[0].parameters || calls.shell[0].directory);
      EXPECT_EQ(calls.shell[0].show, SW_SHOW);
      EXPECT_TRUE(calls.help.empty());
    } else {
      EXPECT_TRUE(calls.shell.empty());
      ASSERT_EQ(calls.help.size(), 1u);
      EXPECT_EQ(calls.help[0].context, 0u);
      EXPECT_EQ(calls.help[0].command, static_cast<UINT>(HELP_CONTEXT));
      // The key path tests no markers.
      PressSpace(link);
      ASSERT_EQ(calls.shell.size(), 1u);
      EXPECT_EQ(calls.shell[0].file, c.url);
    }
    SetFocus(Item(IDOK));
  }
}

TEST_F(LinkTest, ButtonUpWithoutButtonDownOpensNothing) {
  linktest::RecordedLinkCalls calls;
  CHyperLink link;
  Attach(link, IDC_LINK_LEFT);
  SendMessageW(link.m_hWnd, WM_LBUTTONUP, 0, At(2, 2));
  EXPECT_TRUE(calls.shell.empty());
  EXPECT_TRUE(calls.help.empty());
  // Other keys are the control's own.
  SendMessageW(link.m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(calls.shell.empty());
}

TEST_F(LinkTest, VisitedAfterSuccessOnlyAndKeptAfterLaterFailure) {
  linktest::TestClassesRoot classes;  // no ".htm" class: the shell's code is reported
  ASSERT_TRUE(classes.ok());
  linktest::RecordedLinkCalls calls;
  linktest::RecordedBoxes boxes;
  CHyperLink link;
  link.m_strURL = "http://127.0.0.1:1/";
  Attach(link, IDC_LINK_LEFT);

  calls.shellResult = SE_ERR_FNF;
  Click(link);
  EXPECT_FALSE(link.m_bVisited);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Can't open link:\n\nThe specified file was not found.");
  EXPECT_EQ(boxes.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));

  calls.shellResult = 42;
  Click(link);
  EXPECT_TRUE(link.m_bVisited);
  EXPECT_EQ(boxes.boxes.size(), 1u);

  calls.shellResult = SE_ERR_ACCESSDENIED;
  PressSpace(link);
  EXPECT_TRUE(link.m_bVisited);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].text,
            "Can't open link:\n\nThe operating system denied\naccess to the specified file.");
}

TEST_F(LinkTest, OpensOnButtonDownWithThatOption) {
  linktest::RecordedLinkCalls calls;
  CHyperLink link;
  link.m_strURL = "http://127.0.0.1:1/";
  link.m_dwFlags = CHyperLink::kOpenOnButtonDown;  // and no focus on click
  Attach(link, IDC_LINK_LEFT);
  SendMessageW(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
  EXPECT_EQ(calls.shell.size(), 1u);
  EXPECT_NE(GetFocus(), link.m_hWnd);
  SendMessageW(link.m_hWnd, WM_LBUTTONUP, 0, At(2, 2));
  EXPECT_EQ(calls.shell.size(), 1u) << "not again on button-up";
}

TEST_F(LinkTest, HitTestAndCursor) {
  CHyperLink link;
  Attach(link, IDC_LINK_LEFT);
  EXPECT_EQ(SendMessageW(link.m_hWnd, WM_NCHITTEST, 0, At(-5000, -5000)), HTCLIENT);

  const LPARAM setCursor = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  if (CHyperLink::s_hLinkCursor) {
    EXPECT_TRUE(SendMessageW(link.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(link.m_hWnd), setCursor));
    EXPECT_EQ(GetCursor(), CHyperLink::s_hLinkCursor);
  }
  // Without the hand cursor the control sets none and says so.
  HCURSOR saved = CHyperLink::s_hLinkCursor;
  CHyperLink::s_hLinkCursor = nullptr;
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  SetCursor(arrow);
  EXPECT_FALSE(SendMessageW(link.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(link.m_hWnd), setCursor));
  EXPECT_EQ(GetCursor(), arrow);
  CHyperLink::s_hLinkCursor = saved;
}

TEST_F(LinkTest, HandCursorComesFromTheHelpViewerOnce) {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  std::string viewer = std::string(path) + "\\winhlp32.exe";
  HMODULE module = LoadLibraryA(viewer.c_str());
  const bool available = module && LoadCursorA(module, MAKEINTRESOURCEA(106));
  if (module) FreeLibrary(module);

  HCURSOR saved = CHyperLink::s_hLinkCursor;
  CHyperLink::s_hLinkCursor = nullptr;
  CHyperLink::LoadHandCursor();
  HCURSOR first = CHyperLink::s_hLinkCursor;
  EXPECT_EQ(first != nullptr, available);
  CHyperLink::LoadHandCursor();
  EXPECT_EQ(CHyperLink::s_hLinkCursor, first) << "loaded once";
  if (first && saved) DestroyCursor(first);
  CHyperLink::s_hLinkCursor = saved ? saved : first;
}

}  // namespace
