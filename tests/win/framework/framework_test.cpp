// The framework layer under real windows: message maps, the handle map and subclassing,
// reflection, dialogs driven from a second thread, the application message box, errors
// escaping handlers, and the internet session against a loopback server.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "controls.h"
#include "dialog.h"
#include "internet_session.h"
#include "legible_font.h"
#include "message_box.h"
#include "program_hooks.h"
#include "support/message_queue.h"
#include "support/wait.h"
#include "support/window_query.h"
#include "test_dialogs.h"

namespace {

class TestApp : public CWinApp {};
TestApp g_app;

using qz::wintest::FocusOf;
using qz::wintest::Millis;
using qz::wintest::PumpMessages;
using qz::wintest::WaitUntil;

// How long a dialog may take to appear, close or come back to life.
constexpr Millis kWindowWait(10000);

// Every test records message boxes instead of showing them, so none can block a run.
class FrameworkTest : public testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHook([this](const MessageBoxRequest& box) {
      boxes.push_back(box);
      return answer;
    });
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    g_app.m_strAppName = savedName;
    g_app.m_pMainWnd = nullptr;
  }
  std::vector<MessageBoxRequest> boxes;
  int answer = IDOK;
  std::string savedName = g_app.m_strAppName;
};

// ---------------------------------------------------------------------------------------
// Message maps

constexpr UINT ID_SAVE = 10, ID_OPEN = 11, ID_LIST = 12, ID_BUTTON = 13;

class BaseTarget : public CWnd {
 public:
  std::vector<std::string> log;
  void OnSave() { log.push_back("base save"); }
  void OnOpen() { log.push_back("base open"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(BaseTarget, CWnd)
  ON_COMMAND(ID_SAVE, &BaseTarget::OnSave)
  ON_COMMAND(ID_OPEN, &BaseTarget::OnOpen)
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
 public:
  void OnSaveHere() { log.push_back("derived save"); }
  void OnSelChange() { log.push_back("selchange"); }
  void OnButton() { log.push_back("button"); }
  void OnListClick(NMHDR* header, LRESULT* result) { *result = 7 + header->idFrom; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
  ON_COMMAND(ID_SAVE, &DerivedTarget::OnSaveHere)
  ON_CBN_SELCHANGE(ID_LIST, &DerivedTarget::OnSelChange)
  ON_BN_CLICKED(ID_BUTTON, &DerivedTarget::OnButton)
  ON_NOTIFY(NM_CLICK, ID_LIST, &DerivedTarget::OnListClick)
END_MESSAGE_MAP()

bool Command(CWnd& target, UINT code, UINT id) {
  LRESULT result;
  return target.OnWndMsg(WM_COMMAND, MAKEWPARAM(id, code), 0, &result);
}
bool Notify(CWnd& target, UINT code, UINT id, LRESULT* result) {
  NMHDR header = {nullptr, id, code};
  return target.OnWndMsg(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header), result);
}

TEST(MessageMapTest, DerivedEntryWinsAndTheRestFallsThroughToTheBase) {
  DerivedTarget target;
  EXPECT_TRUE(Command(target, 0, ID_SAVE));
  EXPECT_TRUE(Command(target, 0, ID_OPEN));
  EXPECT_FALSE(Command(target, 0, 99));
  EXPECT_EQ(target.log, (std::vector<std::string>{"derived save", "base open"}));
}

TEST(MessageMapTest, CommandsAndNotificationsMatchCodeAndIdExactly) {
  DerivedTarget target;
  EXPECT_FALSE(Command(target, CBN_SELCHANGE, ID_SAVE));  // a menu command, not a selection
  EXPECT_FALSE(Command(target, BN_CLICKED, ID_LIST));
  EXPECT_FALSE(Command(target, CBN_SELCHANGE, ID_BUTTON));
  EXPECT_FALSE(Command(target, CBN_DROPDOWN, ID_LIST));
  EXPECT_TRUE(Command(target, CBN_SELCHANGE, ID_LIST));
  EXPECT_TRUE(Command(target, BN_CLICKED, ID_BUTTON));

  LRESULT result = 0;
  EXPECT_FALSE(Notify(target, NM_DBLCLK, ID_LIST, &result));
  EXPECT_FALSE(Notify(target, NM_CLICK, ID_BUTTON, &result));
  EXPECT_TRUE(Notify(target, NM_CLICK, ID_LIST, &result));
  EXPECT_EQ(result, 7 + 12);
  EXPECT_EQ(target.log, (std::vector<std::string>{"selchange", "button"}));
}

// ---------------------------------------------------------------------------------------
// Handle map and subclassing

constexpr UINT WM_THROW = WM_APP + 1;

class TracingEdit : public CEdit {
 public:
  int subclassed = 0, setTexts = 0;
  HWND watched = nullptr;
  LONG_PTR procAtEnd = 0;  // the window procedure when the window's last message came
  std::vector<UINT> pretranslated;
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->hwnd != m_hWnd) return FALSE;
    pretranslated.push_back(msg->message);
    return msg->message == WM_CHAR && msg->wParam == 'x';  // swallowed
  }

 protected:
  void PreSubclassWindow() override { ++subclassed; }
  void PostNcDestroy() override { procAtEnd = GetWindowLongPtrW(watched, GWLP_WNDPROC); }
  LRESULT OnSetText(WPARAM, LPARAM) { return ++setTexts, Default(); }
  LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("磁盘已满。"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TracingEdit, CEdit)
  ON_MESSAGE(WM_SETTEXT, &TracingEdit::OnSetText)
  ON_MESSAGE(WM_THROW, &TracingEdit::OnThrow)
END_MESSAGE_MAP()

HWND MakeWindow(const wchar_t* className, DWORD style) {
  return CreateWindowExW(0, className, L"", style, 0, 0, 200, 100, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}
std::wstring TextOf(HWND hwnd) {
  wchar_t text[64] = {};
  GetWindowTextW(hwnd, text, 64);
  return text;
}

TEST_F(FrameworkTest, SubclassRoutesThroughTheMapUntilTheWindowEnds) {
  HWND edit = MakeWindow(L"EDIT", WS_POPUP);
  LONG_PTR original = GetWindowLongPtrW(edit, GWLP_WNDPROC);
  TracingEdit wrapper;
  wrapper.watched = edit;
  ASSERT_TRUE(wrapper.SubclassWindow(edit));
  EXPECT_EQ(CWnd::FromHandlePermanent(edit), &wrapper);
  EXPECT_EQ(wrapper.subclassed, 1);

  // The handler sees the message, the edit's own procedure still stores the text.
  SetWindowTextW(edit, L"密码");
  EXPECT_EQ(wrapper.setTexts, 1);
  EXPECT_EQ(TextOf(edit), L"密码");

  CWnd other;
  EXPECT_FALSE(other.Attach(edit));
  EXPECT_FALSE(other.SubclassWindow(edit));
  EXPECT_EQ(CWnd::FromHandlePermanent(edit), &wrapper);

  DestroyWindow(edit);
  EXPECT_EQ(wrapper.procAtEnd, original);
  EXPECT_EQ(wrapper.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
}

TEST_F(FrameworkTest, ObjectThatGoesFirstLeavesAWorkingWindow) {
  HWND edit = MakeWindow(L"EDIT", WS_POPUP);
  LONG_PTR original = GetWindowLongPtrW(edit, GWLP_WNDPROC);
  {
    TracingEdit wrapper;
    ASSERT_TRUE(wrapper.SubclassWindow(edit));
  }
  EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_WNDPROC), original);
  SetWindowTextW(edit, L"abc");
  EXPECT_EQ(TextOf(edit), L"abc");
  DestroyWindow(edit);
}

// ---------------------------------------------------------------------------------------
// Dialogs

class ColorLabel : public CStatic {
 public:
  HBRUSH brush = nullptr;
  UINT colorKind = 0;
  int clicks = 0;

 protected:
  HBRUSH CtlColor(HDC, UINT kind) { return colorKind = kind, brush; }
  void OnClicked() { ++clicks; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ColorLabel, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
  ON_CONTROL_REFLECT(STN_CLICKED, &ColorLabel::OnClicked)
END_MESSAGE_MAP()

class TestDialog : public CDialog {
 public:
  explicit TestDialog(UINT id = IDD_TEST, CWnd* parent = nullptr) : CDialog(id, parent) {}
  std::atomic<HWND> created{nullptr};
  TracingEdit edit;
  ColorLabel label;
  std::function<void()> onOther = [] {};
  int labelClicksSeen = 0;
  HBRUSH ownBrush = nullptr;
  std::wstring textAtOk;

 protected:
  BOOL OnInitDialog() override {
    BOOL focusDefault = CDialog::OnInitDialog();
    created = m_hWnd;
    return focusDefault;
  }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_TEST_EDIT, edit);
    DDX_Control(dx, IDC_TEST_LABEL, label);
  }
  void OnOK() override {
    textAtOk = edit.GetWindowTextWide();
    CDialog::OnOK();
  }
  void OnOther() { onOther(); }
  void OnLabelClicked() { ++labelClicksSeen; }
  LRESULT OnCtlColorStatic(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(ownBrush); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestDialog, CDialog)
  ON_BN_CLICKED(IDC_TEST_OTHER, &TestDialog::OnOther)
  ON_CONTROL(STN_CLICKED, IDC_TEST_LABEL, &TestDialog::OnLabelClicked)
  ON_MESSAGE(WM_CTLCOLORSTATIC, &TestDialog::OnCtlColorStatic)
END_MESSAGE_MAP()

HWND ShownWindow(const TestDialog& dialog) {
  HWND hwnd = nullptr;
  const bool shown = WaitUntil([&] {
    hwnd = dialog.created;
    return hwnd && IsWindowVisible(hwnd);
  }, kWindowWait);
  return shown ? hwnd : nullptr;
}

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Runs the dialog's modal loop on this thread while script drives it from another one;
// a dialog that the script leaves open is cancelled, so that no test hangs.
INT_PTR RunModal(TestDialog& dialog, const std::function<void(HWND)>& script) {
  std::atomic<bool> done{false};
  std::thread driver([&] {
    if (HWND hwnd = ShownWindow(dialog)) script(hwnd);
    else ADD_FAILURE() << "the dialog was not shown";
    if (!WaitUntil([&] { return done.load(); }, kWindowWait)) {
      ADD_FAILURE() << "the dialog is still open";
      dialog.EndDialog(IDABORT);
    }
  });
  INT_PTR result = dialog.DoModal();
  done = true;
  driver.join();
  return result;
}

// A key pressed in the focused control, which is the edit, the first tab stop.
void PostKey(HWND dialog, WPARAM key) {
  HWND focus = FocusOf(dialog);
  EXPECT_EQ(focus, GetDlgItem(dialog, IDC_TEST_EDIT));
  PostMessageW(focus ? focus : dialog, WM_KEYDOWN, key, 1);
}

TEST_F(FrameworkTest, ModalResultComesFromEndDialogAndTheStandardButtons) {
  TestDialog custom;
  custom.onOther = [&] { custom.EndDialog(42); };
  EXPECT_EQ(RunModal(custom, [](HWND dlg) { Click(dlg, IDC_TEST_OTHER); }), 42);

  // The OK and Cancel buttons themselves are clicked in the tests below.
  TestDialog escape, closeBox, enter;
  EXPECT_EQ(RunModal(escape, [](HWND dlg) { PostKey(dlg, VK_ESCAPE); }), IDCANCEL);
  EXPECT_EQ(RunModal(closeBox, [](HWND dlg) { PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); }),
            IDCANCEL);
  EXPECT_EQ(RunModal(enter, [](HWND dlg) { PostKey(dlg, VK_RETURN); }), IDOK);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(FrameworkTest, ModalLoopOffersAChildControlItsMessagesFirst) {
  TestDialog dialog;
  INT_PTR result = RunModal(dialog, [](HWND dlg) {
    HWND edit = GetDlgItem(dlg, IDC_TEST_EDIT);
    PostMessageW(edit, WM_CHAR, 'x', 1);
    PostMessageW(edit, WM_CHAR, 'y', 1);
    Click(dlg, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dialog.textAtOk, L"y");  // 'x' was kept from the edit
  EXPECT_EQ(std::count(dialog.edit.pretranslated.begin(), dialog.edit.pretranslated.end(),
                       static_cast<UINT>(WM_CHAR)), 2);
}

TEST_F(FrameworkTest, OwnerIsDisabledOnlyWhileTheDialogRuns) {
  HWND owner = MakeWindow(L"STATIC", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CWnd ownerWnd;
  ownerWnd.Attach(owner);

  TestDialog missing(IDD_MISSING, &ownerWnd);
  EXPECT_EQ(missing.DoModal(), -1);
  EXPECT_TRUE(IsWindowEnabled(owner));

  auto checkOwner = [&](TestDialog& dialog) {
    EXPECT_EQ(RunModal(dialog, [&](HWND dlg) {
      EXPECT_EQ(GetWindow(dlg, GW_OWNER), owner);
      EXPECT_FALSE(IsWindowEnabled(owner));
      Click(dlg, IDCANCEL);
    }), IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(owner));
  };
  TestDialog withParent(IDD_TEST, &ownerWnd);
  checkOwner(withParent);
  g_app.m_pMainWnd = &ownerWnd;
  TestDialog ofMainWindow;
  checkOwner(ofMainWindow);

  // An owner disabled before the dialog stays so.
  EnableWindow(owner, FALSE);
  TestDialog again;
  EXPECT_EQ(RunModal(again, [](HWND dlg) { Click(dlg, IDCANCEL); }), IDCANCEL);
  EXPECT_FALSE(IsWindowEnabled(owner));
  DestroyWindow(owner);
  EXPECT_EQ(ownerWnd.Detach(), owner);
}

TEST_F(FrameworkTest, NestedModalDialogReturnsToTheOuterLoop) {
  TestDialog outer;
  TestDialog inner(IDD_TEST_INNER, &outer);
  INT_PTR innerResult = 0;
  outer.onOther = [&] { innerResult = inner.DoModal(); };
  INT_PTR outerResult = RunModal(outer, [&](HWND dlg) {
    Click(dlg, IDC_TEST_OTHER);
    HWND innerHwnd = ShownWindow(inner);
    ASSERT_NE(innerHwnd, nullptr);
    EXPECT_FALSE(IsWindowEnabled(dlg));
    Click(innerHwnd, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(innerHwnd); }, kWindowWait));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dlg) != FALSE; }, kWindowWait));
    Click(dlg, IDCANCEL);
  });
  EXPECT_EQ(innerResult, IDOK);
  EXPECT_EQ(outerResult, IDCANCEL);
}

TEST_F(FrameworkTest, ModelessDialogBindsControlsOnceAndLivesUntilDestroyed) {
  TestDialog missing;
  EXPECT_FALSE(missing.Create(IDD_MISSING));

  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_TEST));
  HWND hwnd = dialog.m_hWnd;
  HWND edit = GetDlgItem(hwnd, IDC_TEST_EDIT);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &dialog);
  EXPECT_EQ(CWnd::FromHandlePermanent(edit), &dialog.edit);
  dialog.UpdateData(TRUE);
  dialog.UpdateData(FALSE);
  EXPECT_EQ(dialog.edit.subclassed, 1);
  EXPECT_EQ(CWnd::FromHandlePermanent(edit), &dialog.edit);

  PumpMessages();
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.edit.m_hWnd, nullptr);
}

// Records its window's last messages as its handlers see them.
class EndingDialog : public TestDialog {
 public:
  explicit EndingDialog(std::vector<std::wstring>* log) : log_(log) {}

 protected:
  void OnDestroy() {  // the members must still be whole: the edit wrapped and readable
    bool wrapped = CWnd::FromHandlePermanent(edit.m_hWnd) == &edit;
    log_->push_back(wrapped ? L"destroy " + edit.GetWindowTextWide() : L"destroy, edit gone");
  }
  void PostNcDestroy() override { log_->push_back(L"final"); }
  std::vector<std::wstring>* log_;
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(EndingDialog, TestDialog)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

// A modeless dialog whose object may go first ends its window in its own destructor.
class ClosingDialog : public EndingDialog {
 public:
  using EndingDialog::EndingDialog;
  ~ClosingDialog() override { DestroyWindow(); }
};

TEST_F(FrameworkTest, DialogObjectGoingWithItsWindowOpenEndsItWhileWhole) {
  std::vector<std::wstring> log;
  HWND hwnd = nullptr;
  {
    ClosingDialog dialog(&log);
    ASSERT_TRUE(dialog.Create(IDD_TEST));
    hwnd = dialog.m_hWnd;
    SetWindowTextW(dialog.edit.m_hWnd, L"密码");
  }
  EXPECT_EQ(log, (std::vector<std::wstring>{L"destroy 密码", L"final"}));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);

  // A class that leaves its window to ~CDialog breaks the rule: a debug build stops
  // there; otherwise the window still ends, and the half-destroyed object hears nothing.
  log.clear();
  hwnd = nullptr;
  EXPECT_DEBUG_DEATH(
      {
        EndingDialog careless(&log);
        EXPECT_TRUE(careless.Create(IDD_TEST));
        hwnd = careless.m_hWnd;
      },
      "");
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(hwnd && IsWindow(hwnd));
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST_F(FrameworkTest, ControlAnswersItsOwnColourAndNotification) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_TEST));
  HWND label = GetDlgItem(dialog.m_hWnd, IDC_TEST_LABEL);
  HDC dc = GetDC(dialog.m_hWnd);
  auto askColour = [&] {
    return ::SendMessageW(dialog.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(label));
  };
  HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
  dialog.label.brush = brush;
  EXPECT_EQ(askColour(), reinterpret_cast<LRESULT>(brush));
  EXPECT_EQ(dialog.label.colorKind, static_cast<UINT>(CTLCOLOR_STATIC));

  // A null brush leaves the request to the dialog's own handler.
  dialog.label.brush = nullptr;
  dialog.ownBrush = GetSysColorBrush(COLOR_INFOBK);
  EXPECT_EQ(askColour(), reinterpret_cast<LRESULT>(dialog.ownBrush));

  // SS_NOTIFY: the label itself sends STN_CLICKED to the dialog.
  ::SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(dialog.label.clicks, 1);
  EXPECT_EQ(dialog.labelClicksSeen, 0);

  ReleaseDC(dialog.m_hWnd, dc);
  dialog.DestroyWindow();
  DeleteObject(brush);
}

TEST_F(FrameworkTest, ErrorEscapingAHandlerIsReportedAndTheProgramGoesOn) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_TEST));
  dialog.onOther = [] { throw CInternetException(ERROR_INTERNET_CANNOT_CONNECT); };
  HWND other = GetDlgItem(dialog.m_hWnd, IDC_TEST_OTHER);
  ::SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_OTHER, BN_CLICKED),
                 reinterpret_cast<LPARAM>(other));
  ::SendMessageW(dialog.edit.m_hWnd, WM_THROW, 0, 0);  // through the subclassed procedure
  dialog.onOther = [] { throw std::bad_alloc(); };
  ::SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_OTHER, BN_CLICKED),
                 reinterpret_cast<LPARAM>(other));

  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "网络错误 12029。");
  EXPECT_EQ(boxes[1].text, "磁盘已满。");
  EXPECT_EQ(boxes[2].text, "内存不足。");
  for (const MessageBoxRequest& box : boxes) EXPECT_EQ(box.type & MB_ICONMASK, MB_ICONSTOP);
  SetWindowTextW(dialog.edit.m_hWnd, L"仍然可用");
  EXPECT_EQ(TextOf(dialog.edit.m_hWnd), L"仍然可用");
  dialog.DestroyWindow();
}

// Chinese texts are legible whatever the system: where a template's face lacks the
// glyphs (both faces here under an English locale, which CTest runs this case in too),
// the dialog and its controls get a GB2312 face, and the dialog answers WM_GETFONT with it.
TEST_F(FrameworkTest, ChineseTextsGetAFaceThatShowsThem) {
  auto fontOf = [](HWND window) { return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)); };
  for (UINT id : {IDD_TEST, IDD_TEST_LATIN_FONT}) {
    SCOPED_TRACE(id);
    CDialog dialog(id);
    ASSERT_TRUE(dialog.Create(id));
    const HFONT font = fontOf(dialog.m_hWnd);
    EXPECT_TRUE(ShowsChinese(font));
    EXPECT_EQ(fontOf(GetDlgItem(dialog.m_hWnd, IDC_TEST_LABEL)), font);
    if (LegibleFontOf(dialog.m_hWnd)) {
      LOGFONTW face = {};
      ASSERT_TRUE(GetObjectW(font, sizeof(face), &face));
      EXPECT_EQ(face.lfCharSet, GB2312_CHARSET);
    }
    EXPECT_TRUE(dialog.DestroyWindow());
  }
}

// ---------------------------------------------------------------------------------------
// Message box and application name

TEST_F(FrameworkTest, MessageBoxTakesTheAppNameAndAnIconAndReturnsTheAnswer) {
  g_app.m_strAppName = u8"表Lockmere";
  answer = IDYES;
  EXPECT_EQ(AfxMessageBox("文件已加密。"), IDYES);
  AfxMessageBox("继续吗？", MB_YESNO | MB_ICONQUESTION);
  AfxMessageBox(L"停止", MB_ICONSTOP);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, "表Lockmere");
  EXPECT_EQ(boxes[0].text, "文件已加密。");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(boxes[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(boxes[2].text, "停止");
  EXPECT_EQ(boxes[2].type, static_cast<UINT>(MB_ICONSTOP));
}

TEST(AppNameTest, BaseNameWithoutExtension) {
  EXPECT_EQ(AppNameFromModulePath("C:\\dir\\Lockmere.exe"), "Lockmere");
  EXPECT_EQ(AppNameFromModulePath("C:\\dir.old\\Lockmere"), "Lockmere");
  EXPECT_EQ(AppNameFromModulePath("Lockmere.v2.exe"), "Lockmere.v2");
  // UTF-8, the module path's form: 盶 ends in 0x5C in code page 936, but not here.
  EXPECT_EQ(AppNameFromModulePath(u8"C:\\表\\a盶b.exe"), u8"a盶b");
  EXPECT_EQ(AppNameFromModulePath(u8"C:\\工具\\加密.exe"), u8"加密");
}

// ---------------------------------------------------------------------------------------
// Internet session

// A TCP socket bound to a free port of 127.0.0.1.
SOCKET LoopbackSocket(int* port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(address);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return s;
}

bool Readable(SOCKET s) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval timeout = {10, 0};
  return select(0, &set, nullptr, nullptr, &timeout) == 1;
}

// One HTTP exchange: records the request, sends the response, then waits for the client
// to close the connection.
struct LoopbackServer {
  explicit LoopbackServer(std::string response) {
    listen(listener, 1);
    thread = std::thread([this, response] {
      if (!Readable(listener)) return;
      SOCKET client = accept(listener, nullptr, nullptr);
      char buffer[1024];
      for (int got = 1; got > 0 && request.find("\r\n\r\n") == std::string::npos;) {
        got = Readable(client) ? recv(client, buffer, sizeof(buffer), 0) : 0;
        request.append(buffer, static_cast<size_t>(got > 0 ? got : 0));
      }
      send(client, response.data(), static_cast<int>(response.size()), 0);
      while (!sawClose && Readable(client)) sawClose = recv(client, buffer, sizeof(buffer), 0) <= 0;
      closesocket(client);
    });
  }
  ~LoopbackServer() {
    if (thread.joinable()) thread.join();
    closesocket(listener);
  }
  int port = 0;
  SOCKET listener = LoopbackSocket(&port);
  std::string request;
  bool sawClose = false;
  std::thread thread;
};

std::string LoopbackUrl(int port, const char* path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

TEST_F(FrameworkTest, OpenUrlOfAClosedPortThrows) {
  CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_DIRECT);
  try {
    int port;
    closesocket(LoopbackSocket(&port));  // never listened on: the connection is refused
    session.OpenURL(LoopbackUrl(port, "/").c_str(), 5);
    ADD_FAILURE() << "no exception";
  } catch (const CInternetException& error) {
    EXPECT_EQ(error.m_dwError, static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
    EXPECT_EQ(error.m_dwContext, 5u);
  }
}

TEST_F(FrameworkTest, OpenUrlSendsTheAgentAndClosesWithTheFile) {
  g_app.m_strAppName = "Lockmere";
  // A body shorter than announced: the connection cannot be reused, closing must end it.
  LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhello");
  {
    CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_DIRECT);
    {
      CInternetFile file = session.OpenURL(LoopbackUrl(server.port, "/probe").c_str());
      ASSERT_NE(file.m_hFile, nullptr);
      char body[5] = {};
      DWORD read = 0;
      EXPECT_TRUE(InternetReadFile(file.m_hFile, body, sizeof(body), &read));
      EXPECT_EQ(std::string(body, read), "hello");
    }
    server.thread.join();
  }
  EXPECT_EQ(server.request.rfind("GET /probe HTTP/1.1\r\n", 0), 0u) << server.request;
  EXPECT_NE(server.request.find("User-Agent: Lockmere\r\n"), std::string::npos)
      << server.request;
  EXPECT_TRUE(server.sawClose);
}

}  // namespace

int main(int argc, char** argv) {
  AfxInitApplication(&g_app, GetModuleHandleW(nullptr));
  // The program's fonts and wording, which some cases here show.
  InstallProgramHooks();
  WSADATA winsock;
  WSAStartup(MAKEWORD(2, 2), &winsock);
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  WSACleanup();
  return result;
}
