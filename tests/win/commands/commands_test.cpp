// The main window's double-click, back button and menu commands run modally against
// prepared folders under C:. A script thread sends each command from a helper thread
// (its handler may open password prompts, which the script answers), message boxes are
// recorded by the hook, and hooks on the window's thread count list refreshes, prompts
// and progress windows. Files are checked through the A functions, and ".qz" outputs
// of the program (CryptoAPI) are decrypted with the portable back end.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "file_browser_dlg.h"
#include "fs/fault_injection.h"
#include "fs/file_system.h"
#include "fs/win_path.h"
#include "message_box.h"
#include "qz/file_cipher.h"
#include "resource.h"
#include "support/files.h"
#include "support/wait.h"
#include "support/window_query.h"
#include "test_password.h"
#include "ui_test_support.h"

namespace {

using qz::wintest::Attributes;
using qz::wintest::Bytes;
using qz::wintest::ClassName;
using qz::wintest::Exists;
using qz::wintest::FirstVisible;
using qz::wintest::kDialogClass;
using qz::wintest::kPopupMenuClass;
using qz::wintest::MakeDir;
using qz::wintest::MakeFile;
using qz::wintest::Millis;
using qz::wintest::NamesIn;
using qz::wintest::OfClass;
using qz::wintest::PatternBytes;
using qz::wintest::ReadBytes;
using qz::wintest::RemoveTree;
using qz::wintest::ThreadWindows;
using qz::wintest::WaitUntil;
using qz::wintest::WriteBytes;
using Strings = std::vector<std::string>;

const std::string kRoot = "C:\\qzcmd\\";
const std::string kScratch = "C:\\qzcmd-scratch\\";
const char kChinese[] = u8"中文.txt";
const char kUnfinished[] =
    "此目录下有 1 个未完成的临时文件（~qz*.tmp），可能属于中断的或正在进行的操作，已保留原样。";
constexpr DWORD kMarked = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;

// --- files ---------------------------------------------------------------------------

Strings Sorted(Strings names) {
  std::sort(names.begin(), names.end());
  return names;
}

qz::CipherOptions Portable() {
  qz::CipherOptions options;
  options.backend = &qz::PortableBackend();
  return options;
}

// A ".qz" file made by the engine's portable back end, marked as the program marks it.
void MakeQz(const std::string& path, const Bytes& plain, const std::string& password) {
  const std::string source = kScratch + "plain";
  ASSERT_TRUE(WriteBytes(source, plain));
  // The header names the plain file, as if "NAME.qz" had been made from "NAME".
  std::string name = path.substr(path.rfind('\\') + 1);
  if (name.size() > 3 && _stricmp(name.c_str() + name.size() - 3, ".qz") == 0) name.resize(name.size() - 3);
  qz::CipherOptions options = Portable();
  options.headerName = name;
  ASSERT_EQ(qz::EncryptFileData(source, path, Pw(password), options), qz::EncryptStep::kOk) << path;
  DeleteFileW(qz::WidePath(source).c_str());
  ASSERT_TRUE(qz::MarkHiddenReadOnly(path));
}

// The plain bytes of a ".qz" file, decrypted with the portable back end.
std::optional<Bytes> PortablePlain(const std::string& path, const std::string& password) {
  const std::string out = kScratch + "decrypted";
  qz::DecryptStep step = qz::DecryptFileData(path, out, Pw(password), Portable());
  if (step != qz::DecryptStep::kOk) return std::nullopt;
  Bytes bytes = ReadBytes(out);
  DeleteFileW(qz::WidePath(out).c_str());
  return bytes;
}

testing::AssertionResult SameBytes(const std::optional<Bytes>& got, const Bytes& want) {
  if (!got) return testing::AssertionFailure() << "no plain bytes";
  if (*got == want) return testing::AssertionSuccess();
  return testing::AssertionFailure() << got->size() << " bytes, not the " << want.size() << " expected";
}

void ExpectEncrypted(const std::string& path, const Bytes& plain, const std::string& password) {
  SCOPED_TRACE(path);
  DWORD attributes = Attributes(path);
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & (kMarked | FILE_ATTRIBUTE_DIRECTORY), kMarked);
  EXPECT_TRUE(SameBytes(PortablePlain(path, password), plain));
}

// --- what the window's thread does ---------------------------------------------------

struct Events {
  std::atomic<int> refreshes{0};      // LVM_DELETEALLITEMS sent to the file list
  std::atomic<int> prompts{0};        // password dialogs created
  std::atomic<int> progressBars{0};   // progress bars 1010 created in a dialog
};
Events g_events;
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if ((create->style & WS_CHILD) && create->hwndParent && ClassName(create->hwndParent) == kDialogClass) {
      INT_PTR id = reinterpret_cast<INT_PTR>(create->hMenu);
      if (id == IDC_PASSWORD) ++g_events.prompts;
      if (id == IDC_PROGRESS_BAR &&
          _stricmp(ClassName(reinterpret_cast<HWND>(wParam)).c_str(), "msctls_progress32") == 0)
        ++g_events.progressBars;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const CWPSTRUCT* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (sent->message == LVM_DELETEALLITEMS && GetDlgCtrlID(sent->hwnd) == IDC_FILE_LIST)
      ++g_events.refreshes;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Records every message box (UTF-8) and answers Yes/No questions with yesNo.
class Boxes {
 public:
  Boxes() {
    SetMessageBoxHook([this](const MessageBoxRequest& request) {
      std::lock_guard<std::mutex> lock(mutex_);
      texts_.push_back(request.text);
      if ((request.type & MB_TYPEMASK) != MB_YESNO) return IDOK;
      if (queued_.empty()) return yesNo_.load();
      const int answer = queued_.front();
      queued_.erase(queued_.begin());
      return answer;
    });
  }
  ~Boxes() { SetMessageBoxHook(nullptr); }
  Strings Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    Strings texts;
    texts.swap(texts_);
    return texts;
  }
  void AnswerQuestions(int answer) { yesNo_ = answer; }
  // Answers for the next questions, in order; then the standing answer again.
  void AnswerNext(std::vector<int> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_ = std::move(answers);
  }

 private:
  std::mutex mutex_;
  Strings texts_;
  std::vector<int> queued_;
  std::atomic<int> yesNo_{IDYES};
};

// --- driving the window --------------------------------------------------------------

using Answer = std::optional<std::wstring>;  // a password, or nullopt for Cancel
const Answer kCancel = std::nullopt;
using Answers = std::vector<Answer>;

// A real HDROP: wide paths after a DROPFILES header, freed by the receiver's DragFinish.
HGLOBAL MakeDrop(const std::vector<std::wstring>& paths) {
  size_t chars = 1;
  for (const std::wstring& path : paths) chars += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  wchar_t* out = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& path : paths) {
    std::copy(path.begin(), path.end(), out);
    out += path.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

std::wstring Wide(const std::string& ansi) {
  std::wstring wide(ansi.size(), L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                      &wide[0], static_cast<int>(wide.size()))));
  return wide;
}

class Window {
 public:
  Window(CFileBrowserDlg& dialog, HWND window)
      : dialog_(dialog), window_(window), list_(GetDlgItem(window, IDC_FILE_LIST)),
        thread_(GetWindowThreadProcessId(window, nullptr)) {}

  CFileBrowserDlg& dialog() { return dialog_; }

  Strings Items() const {
    Strings texts;
    int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[MAX_PATH] = {};
      LVITEMW item = {};
      item.iSubItem = 0;
      item.pszText = text;
      item.cchTextMax = MAX_PATH;
      SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      texts.push_back(qz::Utf8Path(text));
    }
    return texts;
  }

  int Find(const std::string& text) const {
    Strings items = Items();
    auto at = std::find(items.begin(), items.end(), text);
    if (at == items.end()) {
      std::string shown;
      for (const std::string& item : items) shown += " \"" + item + "\"";
      ADD_FAILURE() << "no item " << text << "; the list shows" << shown;
    }
    return at == items.end() ? -2 : static_cast<int>(at - items.begin());
  }

  // A visible password prompt: a "Lockmere" dialog with the password field.
  HWND Prompt() const {
    return FirstVisible(ThreadWindows(thread_), [](HWND window) {
      wchar_t title[32] = {};
      GetWindowTextW(window, title, 32);
      return ClassName(window) == kDialogClass && GetDlgItem(window, IDC_PASSWORD) &&
             std::wstring(title) == L"Lockmere";
    });
  }

  // Sends a command from a helper thread, answers the prompts it opens in order and
  // waits for its handler to return. Returns the prompts' kinds: 'E'ncrypt, 'D'ecrypt.
  std::string Run(const std::function<void()>& send, const Answers& answers,
                  const std::function<void(const std::atomic<bool>&)>& during = {}) {
    std::atomic<bool> done{false};
    std::thread sender([&] {
      send();
      done = true;
    });
    std::string kinds;
    for (const Answer& answer : answers) {
      HWND prompt = nullptr;
      WaitUntil([&] { return (prompt = Prompt()) != nullptr || done; }, Millis(10000));
      if (!prompt) {
        ADD_FAILURE() << "prompt " << kinds.size() + 1 << " of " << answers.size() << " missing";
        break;
      }
      HWND retype = GetDlgItem(prompt, IDC_RETYPE);
      kinds += retype ? 'E' : 'D';
      if (answer) {
        for (HWND field : {GetDlgItem(prompt, IDC_PASSWORD), retype})
          if (field) SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer->c_str()));
      }
      PostMessageW(prompt, WM_COMMAND, answer ? IDOK : IDCANCEL, 0);
      WaitUntil([&] { return !IsWindow(prompt) || !IsWindowVisible(prompt); }, Millis(10000));
    }
    if (during) during(done);
    // However long the command takes (a deletion's retries take a minute), a prompt that
    // nobody answers is the only way it cannot end.
    while (!done && !Prompt()) Sleep(10);
    if (!done) {
      ADD_FAILURE() << "an unexpected prompt";
      while (!done) {
        if (HWND prompt = Prompt()) PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
        Sleep(200);
      }
    }
    sender.join();
    return kinds;
  }

  std::string Notify(UINT code, int item, const Answers& answers = {},
                     const std::function<void(const std::atomic<bool>&)>& during = {}) {
    NMITEMACTIVATE notice = {};
    notice.hdr.hwndFrom = list_;
    notice.hdr.idFrom = IDC_FILE_LIST;
    notice.hdr.code = code;
    notice.iItem = item;
    return Run([&] { SendMessageW(window_, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&notice)); },
               answers, during);
  }

  std::string DoubleClick(const std::string& text, const Answers& answers = {}) {
    return Notify(NM_DBLCLK, Find(text), answers);
  }

  // A context menu command on an item: the item selected (-1: none), then the command,
  // as the keyboard's menu gives it.
  std::string Command(UINT id, int item, const Answers& answers = {}) {
    return Run(
        [&] {
          Select(item);
          SendMessageW(window_, WM_COMMAND, id, 0);
        },
        answers);
  }

  // Selects and focuses the item alone (-1: none).
  void Select(int item) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (item < 0) return;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
  }
  std::string Command(UINT id, const std::string& text, const Answers& answers = {}) {
    return Command(id, Find(text), answers);
  }

  // Files and folders dropped on the window, as the shell hands them over.
  std::string Drop(const std::vector<std::wstring>& paths, const Answers& answers = {}) {
    return Run([&] { SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0); },
               answers);
  }

  bool ProgressShown() const {
    return FirstVisible(ThreadWindows(thread_), [](HWND w) { return GetDlgItem(w, IDC_PROGRESS_BAR) != nullptr; });
  }

  void Back() {
    Run([&] { SendMessageW(GetDlgItem(window_, IDC_BACK), BM_CLICK, 0, 0); }, {});
  }

  // Right-clicks an item and returns the command ids of the menu that opens (closed
  // again with Esc), or nullopt when none opens.
  // The visible popup menu, or null when none shows before the command is done.
  HWND WaitForPopup(const std::atomic<bool>& done) const {
    HWND popup = nullptr;
    WaitUntil([&] { return (popup = FirstVisible(ThreadWindows(thread_), OfClass(kPopupMenuClass))) || done; },
              Millis(5000));
    return popup;
  }

  std::optional<std::vector<UINT>> ContextMenu(int item) {
    std::optional<std::vector<UINT>> ids;
    Notify(NM_RCLICK, item, {}, [&](const std::atomic<bool>& done) {
      HWND popup = WaitForPopup(done);
      if (!popup) return;
      HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
      ids.emplace();
      for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) ids->push_back(GetMenuItemID(menu, i));
      PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    return ids;
  }

  // Opens the item's menu with a right-click and picks the command by the keys a user
  // would press; the command runs before the click's notification returns.
  std::string ChooseFromMenu(int item, UINT id, const Answers& answers = {}) {
    return Notify(NM_RCLICK, item, answers, [&](const std::atomic<bool>& done) {
      HWND popup = WaitForPopup(done);
      if (!popup) return;
      HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
      for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
        if (GetMenuItemID(menu, i) == id) {
          PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
          return;
        }
      }
      PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    });
  }

 private:
  CFileBrowserDlg& dialog_;
  HWND window_;
  HWND list_;
  DWORD thread_;
};

// Each test runs the main window once, listing dir, and creates its files under kRoot.
class CommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(kRoot);
    RemoveTree(kScratch);
    MakeDir(kRoot);
    MakeDir(kScratch);
    cbt_ = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    callWnd_ = SetWindowsHookExW(WH_CALLWNDPROC, CallWndHook, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(cbt_ && callWnd_);
  }
  void TearDown() override {
    UnhookWindowsHookEx(cbt_);
    UnhookWindowsHookEx(callWnd_);
    qz::testing::DisarmAllFaults();
    RemoveTree(kRoot);
    RemoveTree(kScratch);
  }

  void WithWindow(const std::string& dir, const std::function<void(Window&)>& script) {
    CFileBrowserDlg dialog(dir);
    uitest::RunModal(dialog, [&](HWND window) {
      Window driver(dialog, window);
      script(driver);
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
  }

  Boxes boxes_;
  HHOOK cbt_ = nullptr;
  HHOOK callWnd_ = nullptr;
};

TEST_F(CommandsTest, DoubleClickEntersFoldersAndBackGoesUpToTheRoot) {
  MakeDir(kRoot + "OUTER");
  MakeDir(kRoot + "OUTER\\inner");
  MakeFile(kRoot + "OUTER\\NOTE.TXT", PatternBytes(10, 1));
  MakeFile(kRoot + "OUTER\\inner\\deep.txt", PatternBytes(10, 2));
  MakeFile(kRoot + "top.txt", PatternBytes(10, 3));
  const int prompts = g_events.prompts;
  WithWindow(kRoot, [&](Window& window) {
    CFileBrowserDlg& dialog = window.dialog();
    ASSERT_EQ(window.Items(), (Strings{"Outer", "Top.txt"}));
    int refreshes = g_events.refreshes;

    window.Notify(NM_DBLCLK, -1);  // empty space
    EXPECT_EQ(dialog.CurrentFolder(), kRoot);
    EXPECT_EQ(g_events.refreshes, refreshes);

    window.DoubleClick("Outer");
    EXPECT_EQ(dialog.CurrentFolder(), kRoot + "OUTER\\");  // the name on disk
    EXPECT_EQ(window.Items(), (Strings{"Inner", "Note.txt"}));
    window.DoubleClick("Inner");
    EXPECT_EQ(dialog.CurrentFolder(), kRoot + "OUTER\\inner\\");
    EXPECT_EQ(window.Items(), Strings{"Deep.txt"});

    window.Back();
    EXPECT_EQ(dialog.CurrentFolder(), kRoot + "OUTER\\");
    EXPECT_EQ(window.Items(), (Strings{"Inner", "Note.txt"}));
    window.Back();
    window.Back();
    EXPECT_EQ(dialog.CurrentFolder(), "C:\\");
    EXPECT_TRUE(boxes_.Take().empty());
    refreshes = g_events.refreshes;
    Strings rootItems = window.Items();
    window.Back();
    EXPECT_EQ(boxes_.Take(), Strings{"已经到了根目录了！"});
    EXPECT_EQ(dialog.CurrentFolder(), "C:\\");
    EXPECT_EQ(g_events.refreshes, refreshes);
    EXPECT_EQ(window.Items(), rootItems);
  });
  EXPECT_EQ(g_events.prompts, prompts);
}

TEST_F(CommandsTest, SingleFilesAreEncryptedAndDecryptedUnderTheirNamesOnDisk) {
  const Bytes report = PatternBytes(2500, 4), data = PatternBytes(1234, 5), secret = PatternBytes(77, 6);
  MakeFile(kRoot + "REPORT.TXT", report);
  MakeQz(kRoot + "DATA.QZ", data, "portable pw");
  MakeQz(kRoot + "Secret.txt.qz", secret, "right pw");
  MakeFile(kRoot + "keep.txt", PatternBytes(5, 7));
  const Bytes secretQz = ReadBytes(kRoot + "Secret.txt.qz");
  WithWindow(kRoot, [&](Window& window) {
    ASSERT_EQ(window.Items(), (Strings{"Data.qz", "Keep.txt", "Report.txt", "Secret.txt.qz"}));
    int refreshes = g_events.refreshes;

    EXPECT_EQ(window.DoubleClick("Report.txt", {L"report pw"}), "E");
    EXPECT_EQ(boxes_.Take(), Strings{"加密成功！"});
    EXPECT_EQ(g_events.refreshes, refreshes + 1);
    EXPECT_EQ(window.Items(), (Strings{"Data.qz", "Keep.txt", "Report.txt.qz", "Secret.txt.qz"}));
    // Shown capitalised, named as on disk: the output keeps the file's own spelling.
    EXPECT_EQ(NamesIn(kRoot), Sorted({"DATA.QZ", "REPORT.TXT.qz", "Secret.txt.qz", "keep.txt"}));
    ExpectEncrypted(kRoot + "REPORT.TXT.qz", report, "report pw");

    EXPECT_EQ(window.DoubleClick("Report.txt.qz", {L"report pw"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{"解密成功！"});
    EXPECT_EQ(g_events.refreshes, refreshes + 2);
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "REPORT.TXT"), report));
    EXPECT_EQ(Attributes(kRoot + "REPORT.TXT") & kMarked, 0u);

    // Stored as DATA.QZ, shown as Data.qz: the shown name makes it a ".qz", and it is
    // decrypted into "DATA".
    EXPECT_EQ(window.DoubleClick("Data.qz", {L"portable pw"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{"解密成功！"});
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "Data"), data));

    refreshes = g_events.refreshes;
    EXPECT_EQ(window.DoubleClick("Secret.txt.qz", {L"wrong pw"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{"密码错误，解密失败。"});
    EXPECT_EQ(window.DoubleClick("Keep.txt", {kCancel}), "E");
    EXPECT_TRUE(boxes_.Take().empty());
    EXPECT_EQ(g_events.refreshes, refreshes);
  });
  EXPECT_EQ(NamesIn(kRoot), Sorted({"DATA", "REPORT.TXT", "Secret.txt.qz", "keep.txt"}));
  EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "Secret.txt.qz"), secretQz));
  EXPECT_EQ(Attributes(kRoot + "Secret.txt.qz") & kMarked, kMarked);
}

TEST_F(CommandsTest, EngineFailuresAreShownAndLeaveEveryFileAsItWas) {
  const Bytes clash = PatternBytes(300, 8), fault = PatternBytes(3000, 9);
  MakeQz(kRoot + "clash.txt.qz", PatternBytes(400, 10), "pw");
  MakeFile(kRoot + "clash.txt", clash, FILE_ATTRIBUTE_READONLY);
  MakeFile(kRoot + "fault.txt", fault);
  MakeQz(kRoot + "key.txt.qz", fault, "pw");
  const Bytes clashQz = ReadBytes(kRoot + "clash.txt.qz"), keyQz = ReadBytes(kRoot + "key.txt.qz");
  const Strings before = NamesIn(kRoot);
  WithWindow(kRoot, [&](Window& window) {
    int refreshes = g_events.refreshes;
    EXPECT_EQ(window.DoubleClick("Clash.txt.qz", {L"pw"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{"无法创建目标文件。"});

    qz::testing::ArmFault(qz::FaultPoint::kWrite, 2);  // the first block after the header
    EXPECT_EQ(window.DoubleClick("Fault.txt", {L"pw"}), "E");
    qz::testing::DisarmAllFaults();
    EXPECT_EQ(boxes_.Take(), Strings{"写文件错误，加密失败。"});

    // A key derivation that fails: its own message, in both directions.
    qz::testing::ArmFault(qz::FaultPoint::kDeriveKey, 1);
    EXPECT_EQ(window.DoubleClick("Fault.txt", {L"pw"}), "E");
    qz::testing::ArmFault(qz::FaultPoint::kHashData, 1);
    EXPECT_EQ(window.DoubleClick("Key.txt.qz", {L"pw"}), "D");
    qz::testing::DisarmAllFaults();
    EXPECT_EQ(boxes_.Take(), (Strings{"创建密钥失败，无法完成加密！", "内部错误，解密操作失败。"}));
    EXPECT_EQ(g_events.refreshes, refreshes);
  });
  EXPECT_EQ(NamesIn(kRoot), before);  // no partial output, no temporary file
  EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "clash.txt"), clash));
  EXPECT_EQ(Attributes(kRoot + "clash.txt") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "clash.txt.qz"), clashQz));
  EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "fault.txt"), fault));
  EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "key.txt.qz"), keyQz));
}

// The system limits names in characters: 170 characters of Chinese (490 bytes of UTF-8)
// work; a name beyond 255 characters is refused whatever the path's length (a batch tells
// of the file, and nothing is cut to fit), and paths beyond 259 characters are no limit.
TEST_F(CommandsTest, PathsAreLimitedInCharactersNotInBytes) {
  std::string folderName, name;
  for (int i = 0; i < 80; ++i) folderName += u8"长", name += u8"文";
  const std::string folder = kRoot + folderName + "\\", longer = kRoot + "long\\", tooLong(253, 'n'), fits(250, 'f');
  MakeDir(folder);
  MakeFile(folder + name, PatternBytes(100, 70));
  MakeDir(longer);
  // Only the long-path form can make these.
  for (const std::string& path : {longer + tooLong, longer + fits}) {
    HANDLE file = CreateFileW(qz::WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  WithWindow(kRoot, [&](Window& window) {
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Long", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(), (Strings{"路径太长，无法加密。", "目录加密完成！"}));
    window.DoubleClick(folderName);
    EXPECT_EQ(window.dialog().CurrentFolder(), folder);
    EXPECT_EQ(window.DoubleClick(name, {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(), Strings{"加密成功！"});
  });
  EXPECT_EQ(NamesIn(folder), Strings{name + ".qz"});
  ExpectEncrypted(folder + name + ".qz", PatternBytes(100, 70), "pw");
  EXPECT_EQ(NamesIn(longer), (Strings{fits + ".qz", tooLong}));
}

TEST_F(CommandsTest, FolderBatchesAskOnceAndProcessEveryFileDirectlyInside) {
  const std::string batch = kRoot + "batch\\", sizes = kRoot + "sizes\\";
  std::map<std::string, Bytes> files = {{"a.txt", PatternBytes(1000, 11)},
                                        {kChinese, PatternBytes(2345, 12)},
                                        {"hidden.txt", PatternBytes(10, 13)},
                                        {"system.dat", PatternBytes(20, 14)},
                                        {"empty.txt", {}}};
  const Bytes temp = PatternBytes(50, 15), inner = PatternBytes(60, 16);
  const Bytes big = PatternBytes(501000, 17), small = PatternBytes(500999, 18);
  MakeDir(batch);
  for (const auto& [name, bytes] : files) MakeFile(batch + name, bytes);
  SetFileAttributesW(qz::WidePath(batch + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(qz::WidePath(batch + "system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM);
  MakeFile(batch + "~qz123456.tmp", temp);  // left over by an interrupted run
  MakeDir(batch + "sub");
  MakeFile(batch + "sub\\inner.txt", inner);
  MakeDir(sizes);
  MakeFile(sizes + "big", big);
  MakeFile(sizes + "small", small);
  MakeDir(kRoot + "empty");
  MakeFile(kRoot + "lone.txt", PatternBytes(30, 19));

  Strings plainNames = {"sub", "~qz123456.tmp"}, encryptedNames = plainNames;
  for (const auto& [name, bytes] : files) {
    plainNames.push_back(name);
    encryptedNames.push_back(name + ".qz");
  }
  auto expectEncrypted = [&](const std::string& password) {
    EXPECT_EQ(NamesIn(batch), Sorted(encryptedNames));
    for (const auto& [name, bytes] : files) ExpectEncrypted(batch + name + ".qz", bytes, password);
  };
  auto expectPlain = [&] {
    EXPECT_EQ(NamesIn(batch), Sorted(plainNames));
    for (const auto& [name, bytes] : files) EXPECT_TRUE(SameBytes(ReadBytes(batch + name), bytes)) << name;
  };

  WithWindow(kRoot, [&](Window& window) {
    const Strings items = {"Batch", "Empty", "Sizes", "Lone.txt"};
    ASSERT_EQ(window.Items(), items);
    int refreshes = g_events.refreshes;
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Batch", {L"batch pw"}), "E");
    EXPECT_EQ(boxes_.Take(), (Strings{kUnfinished, "目录加密完成！"}));
    EXPECT_EQ(g_events.refreshes, refreshes + 1);
    EXPECT_EQ(window.Items(), items);
    expectEncrypted("batch pw");

    // The batch's end cleared the marker: the next batch asks again.
    EXPECT_EQ(window.Command(ID_MENU_DECRYPT, "Batch", {L"batch pw"}), "D");
    EXPECT_EQ(boxes_.Take(), (Strings{kUnfinished, "目录解密完成！"}));
    expectPlain();

    // A password from a single file never serves the next batch: it asks for its own.
    EXPECT_EQ(window.DoubleClick("Lone.txt", {L"single"}), "E");
    EXPECT_EQ(boxes_.Take(), Strings{"加密成功！"});
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Batch", {L"own pw"}), "E");
    EXPECT_EQ(boxes_.Take(), (Strings{kUnfinished, "目录加密完成！"}));
    expectEncrypted("own pw");

    // The progress window, if the batch took long enough to show it, ends with it.
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Sizes", {L"size pw"}), "E");
    EXPECT_EQ(boxes_.Take(), Strings{"目录加密完成！"});
    EXPECT_FALSE(window.ProgressShown());

    int prompts = g_events.prompts;
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Empty"), "");
    EXPECT_EQ(window.Command(ID_MENU_DECRYPT, "Empty"), "");
    EXPECT_EQ(boxes_.Take(), (Strings{"目录加密完成！", "目录解密完成！"}));
    EXPECT_EQ(g_events.prompts, prompts);
  });
  EXPECT_TRUE(SameBytes(ReadBytes(batch + "~qz123456.tmp"), temp));
  EXPECT_EQ(NamesIn(batch + "sub\\"), Strings{"inner.txt"});
  EXPECT_TRUE(SameBytes(ReadBytes(batch + "sub\\inner.txt"), inner));
  EXPECT_EQ(NamesIn(sizes), (Strings{"big.qz", "small.qz"}));
  ExpectEncrypted(sizes + "big.qz", big, "size pw");
  ExpectEncrypted(sizes + "small.qz", small, "size pw");
  EXPECT_EQ(NamesIn(kRoot + "empty\\"), Strings{});
}

TEST_F(CommandsTest, BatchQuestionsPerFilePromptsAndFailuresInsideABatch) {
  const std::string mixed = kRoot + "mixed\\", partly = kRoot + "partly\\", three = kRoot + "three\\",
                    locked = kRoot + "locked\\";
  for (const std::string& dir : {mixed, partly, three, locked}) MakeDir(dir);
  const Bytes a = PatternBytes(100, 20), c = PatternBytes(200, 21), d = PatternBytes(300, 22);
  MakeFile(mixed + "a.txt", a);
  MakeQz(mixed + "b.txt.qz", PatternBytes(150, 23), "old pw");
  MakeQz(mixed + "b2.txt.qz", PatternBytes(160, 24), "old pw");  // the question comes once
  MakeQz(partly + "c.txt.qz", c, "pw");
  MakeFile(partly + "d.txt", d);
  std::map<std::string, Bytes> threeFiles, lockedFiles;
  for (int i = 0; i < 3; ++i) {
    threeFiles[std::to_string(i) + ".txt"] = PatternBytes(40 + i, 30 + i);
    lockedFiles[std::string(1, static_cast<char>('e' + i)) + ".txt"] = PatternBytes(70 + i, 40 + i);
  }
  for (const auto& [name, bytes] : threeFiles) MakeFile(three + name, bytes);
  for (const auto& [name, bytes] : lockedFiles) MakeFile(locked + name, bytes);
  const Bytes bQz = ReadBytes(mixed + "b.txt.qz");

  HANDLE held = CreateFileW(qz::WidePath(locked + "f.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  WithWindow(kRoot, [&](Window& window) {
    const char* question = "此目录下已有加密文件,是否继续?";
    int refreshes = g_events.refreshes;
    boxes_.AnswerQuestions(IDNO);
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Mixed"), "");
    EXPECT_EQ(boxes_.Take(), Strings{question});
    EXPECT_EQ(NamesIn(mixed), (Strings{"a.txt", "b.txt.qz", "b2.txt.qz"}));
    EXPECT_EQ(g_events.refreshes, refreshes);

    boxes_.AnswerQuestions(IDYES);
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Mixed", {L"mix pw"}), "E");
    EXPECT_EQ(boxes_.Take(), (Strings{question, "目录加密完成！"}));
    EXPECT_EQ(NamesIn(mixed), (Strings{"a.txt.qz", "b.txt.qz", "b2.txt.qz"}));
    ExpectEncrypted(mixed + "a.txt.qz", a, "mix pw");
    EXPECT_TRUE(SameBytes(ReadBytes(mixed + "b.txt.qz"), bQz));

    EXPECT_EQ(window.Command(ID_MENU_DECRYPT, "Partly", {L"pw"}), "D");
    EXPECT_EQ(boxes_.Take(), (Strings{"此目录下有未加密文件,是否继续?", "目录解密完成！"}));
    EXPECT_EQ(NamesIn(partly), (Strings{"c.txt", "d.txt"}));
    EXPECT_TRUE(SameBytes(ReadBytes(partly + "c.txt"), c));
    EXPECT_TRUE(SameBytes(ReadBytes(partly + "d.txt"), d));

    // One-byte passwords are asked for at every file; Cancel skips just that file.
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Three", {L"x", kCancel, L"y"}), "EEE");
    EXPECT_EQ(boxes_.Take(), Strings{"目录加密完成！"});
    int plain = 0;
    std::string used;
    for (const auto& [name, bytes] : threeFiles) {
      if (ReadBytes(three + name) == bytes) {
        ++plain;
        continue;
      }
      for (const char* password : {"x", "y"})
        if (PortablePlain(three + name + ".qz", password) == bytes) used += password;
    }
    EXPECT_EQ(plain, 1);
    EXPECT_TRUE(used == "xy" || used == "yx") << used;
    EXPECT_EQ(NamesIn(three).size(), 3u);

    // A file held open without sharing fails; the batch goes on with the others.
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Locked", {L"lock pw"}), "E");
    EXPECT_EQ(boxes_.Take(), (Strings{"在存取 " + kRoot + "locked\\f.txt 时发生共享违例。", "打开源文件出错!",
                                       "目录加密完成！"}));
  });
  CloseHandle(held);
  EXPECT_EQ(NamesIn(locked), (Strings{"e.txt.qz", "f.txt", "g.txt.qz"}));
  EXPECT_TRUE(SameBytes(ReadBytes(locked + "f.txt"), lockedFiles["f.txt"]));
  ExpectEncrypted(locked + "e.txt.qz", lockedFiles["e.txt"], "lock pw");
  ExpectEncrypted(locked + "g.txt.qz", lockedFiles["g.txt"], "lock pw");
}

// What the user already has is never lost to a wrong password, a renamed file or an
// output name that is taken: the window asks, and a batch asks once.
TEST_F(CommandsTest, WrongPasswordsRenamedFilesAndTakenNamesAskFirst) {
  const std::string wrong = kRoot + "wrong\\", clash = kRoot + "clash\\";
  MakeDir(wrong);
  MakeDir(clash);
  std::map<std::string, Bytes> right;
  for (const char* name : {"b1.txt", "b2.txt", "b3.txt"}) {
    right[name] = PatternBytes(100 + name[1], name[1]);
    MakeQz(wrong + name + ".qz", right[name], "right");
  }
  const Bytes orig = PatternBytes(123, 60);
  MakeQz(kScratch + "orig.txt.qz", orig, "right");
  ASSERT_TRUE(MoveFileW(qz::WidePath(kScratch + "orig.txt.qz").c_str(), qz::WidePath(wrong + "renamed.txt.qz").c_str()));
  ASSERT_TRUE(CopyFileW(qz::WidePath(wrong + "renamed.txt.qz").c_str(), qz::WidePath(kRoot + "renamed.txt.qz").c_str(), TRUE));
  const Bytes renamedQz = ReadBytes(kRoot + "renamed.txt.qz");
  const Bytes edited = PatternBytes(40, 61), older = PatternBytes(50, 62), fresh = PatternBytes(70, 63);
  MakeFile(kRoot + "exists.txt", fresh);
  MakeQz(kRoot + "exists.txt.qz", older, "old pw");
  const Bytes olderQz = ReadBytes(kRoot + "exists.txt.qz");
  std::map<std::string, Bytes> clashQz;
  for (const char* name : {"a.txt", "b.txt"}) {
    MakeFile(clash + name, fresh);
    MakeQz(clash + name + ".qz", older, "old pw");
    clashQz[name] = ReadBytes(clash + name + ".qz");
  }
  const char* mismatch =
      "文件中记录的原文件名是“orig.txt”，与现在的文件名不同，可能密码不对。仍要解密吗？（加密文件会保留）";

  WithWindow(kRoot, [&](Window& window) {
    // A batch tells the files its password does not open once, and leaves them.
    EXPECT_EQ(window.Command(ID_MENU_DECRYPT, "Wrong", {L"nope"}), "D");
    EXPECT_EQ(boxes_.Take(), (Strings{"有 4 个文件未能用此密码解密，已保留原样。", "目录解密完成！"}));
    EXPECT_EQ(NamesIn(wrong), (Strings{"b1.txt.qz", "b2.txt.qz", "b3.txt.qz", "renamed.txt.qz"}));
    EXPECT_EQ(window.Command(ID_MENU_DECRYPT, "Wrong", {L"right"}), "D");
    EXPECT_EQ(boxes_.Take(), (Strings{"有 1 个文件未能用此密码解密，已保留原样。", "目录解密完成！"}));
    for (const auto& [name, bytes] : right) EXPECT_TRUE(SameBytes(ReadBytes(wrong + name), bytes)) << name;
    EXPECT_TRUE(SameBytes(ReadBytes(wrong + "renamed.txt.qz"), renamedQz));

    // A single file with another stored name: the user judges; the ".qz" stays.
    boxes_.AnswerQuestions(IDNO);
    EXPECT_EQ(window.DoubleClick("Renamed.txt.qz", {L"right"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{mismatch});
    EXPECT_EQ(Attributes(kRoot + "Renamed.txt"), INVALID_FILE_ATTRIBUTES);
    boxes_.AnswerQuestions(IDYES);
    EXPECT_EQ(window.DoubleClick("Renamed.txt.qz", {L"right"}), "D");
    EXPECT_EQ(boxes_.Take(), (Strings{mismatch, "解密成功！"}));
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "Renamed.txt"), orig));
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "renamed.txt.qz"), renamedQz));

    // An output name that is taken: No keeps both files, Yes replaces.
    boxes_.AnswerQuestions(IDNO);
    int refreshes = g_events.refreshes;
    EXPECT_EQ(window.DoubleClick("Exists.txt", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(), Strings{"“exists.txt.qz”已存在，是否替换？"});
    EXPECT_EQ(g_events.refreshes, refreshes);
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "exists.txt"), fresh));
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "exists.txt.qz"), olderQz));
    boxes_.AnswerQuestions(IDYES);
    EXPECT_EQ(window.DoubleClick("Exists.txt", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(), (Strings{"“exists.txt.qz”已存在，是否替换？", "加密成功！"}));
    ExpectEncrypted(kRoot + "exists.txt.qz", fresh, "pw");

    // In a batch one question covers every such file.
    boxes_.AnswerNext({IDYES, IDNO});  // go on despite the ".qz" files; replace nothing
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Clash", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(),
              (Strings{"此目录下已有加密文件,是否继续?", "“a.txt.qz”已存在，是否替换？", "目录加密完成！"}));
    for (const auto& [name, bytes] : clashQz) {
      EXPECT_TRUE(SameBytes(ReadBytes(clash + name), fresh)) << name;
      EXPECT_TRUE(SameBytes(ReadBytes(clash + name + ".qz"), bytes)) << name;
    }
    boxes_.AnswerNext({IDYES, IDYES});
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Clash", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(),
              (Strings{"此目录下已有加密文件,是否继续?", "“a.txt.qz”已存在，是否替换？", "目录加密完成！"}));
  });
  EXPECT_EQ(NamesIn(clash), (Strings{"a.txt.qz", "b.txt.qz"}));
  ExpectEncrypted(clash + "a.txt.qz", fresh, "pw");
  ExpectEncrypted(clash + "b.txt.qz", fresh, "pw");
}

// The source is kept, and said to be kept, when it cannot be deleted (alone and in a
// batch) or changed while it was worked on; taken names ask when decrypting too; a
// folder's decryption answered No leaves it; a single ".qz" decrypts from the menu.
TEST_F(CommandsTest, KeptSourcesAndQuestionsAreTold) {
  const std::string pair = kRoot + "pair\\", partly = kRoot + "partly\\";
  MakeDir(pair);
  MakeDir(partly);
  const Bytes stuck = PatternBytes(500, 80), grown = PatternBytes(600000, 81), older = PatternBytes(90, 82),
              secret = PatternBytes(300, 83);
  MakeFile(kRoot + "stuck.txt", stuck);
  MakeFile(kRoot + "grown.txt", grown);
  MakeQz(kRoot + "taken.txt.qz", secret, "pw");
  MakeFile(kRoot + "taken.txt", older);
  MakeQz(kRoot + "menu.txt.qz", secret, "pw");
  MakeFile(pair + "p1.txt", stuck);
  MakeFile(pair + "p2.txt", stuck);
  MakeQz(partly + "q.txt.qz", secret, "pw");
  MakeFile(partly + "r.txt", older);
  const Bytes partlyQz = ReadBytes(partly + "q.txt.qz");
  const int sourceAttempts = qz::RetryPolicy().attempts;
  WithWindow(kRoot, [&](Window& window) {
    // Every attempt at the source fails; removing the new output again succeeds.
    qz::testing::ArmFault(qz::FaultPoint::kDelete, 1, sourceAttempts);
    EXPECT_EQ(window.DoubleClick("Stuck.txt", {L"pw"}), "E");
    qz::testing::DisarmAllFaults();
    EXPECT_EQ(boxes_.Take(), Strings{"无法删除源文件“stuck.txt”，已保留源文件。"});
    EXPECT_EQ(Attributes(kRoot + "stuck.txt.qz"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "stuck.txt"), stuck));

    qz::testing::ArmFault(qz::FaultPoint::kDelete, 1, sourceAttempts);
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Pair", {L"pw"}), "E");
    qz::testing::DisarmAllFaults();
    const std::string kept = Attributes(pair + "p1.txt") != INVALID_FILE_ATTRIBUTES ? "p1.txt" : "p2.txt";
    EXPECT_EQ(boxes_.Take(), (Strings{"无法删除源文件“" + kept + "”，已保留源文件。", "目录加密完成！"}));
    EXPECT_EQ(NamesIn(pair), Sorted({kept, kept == "p1.txt" ? "p2.txt.qz" : "p1.txt.qz"}));

    // Appended to after it was read: both the output and the longer source stay.
    // The first attempt at removing the source fails, and the source grows in the pause.
    qz::testing::ArmFault(qz::FaultPoint::kDelete, 1, 1);
    bool appended = false;
    EXPECT_EQ(window.Notify(NM_DBLCLK, window.Find("Grown.txt"), {L"pw"},
                            [&](const std::atomic<bool>& done) {
                              WaitUntil([&] { return Exists(kRoot + "grown.txt.qz") || done; }, Millis(30000));
                              appended = !done && WriteBytes(kRoot + "grown.txt", PatternBytes(600100, 81));
                            }),
              "E");
    qz::testing::DisarmAllFaults();
    EXPECT_TRUE(appended);
    EXPECT_EQ(boxes_.Take(), Strings{"源文件在处理过程中被改动，已保留源文件。"});
    EXPECT_EQ(ReadBytes(kRoot + "grown.txt").size(), 600100u);
    ExpectEncrypted(kRoot + "grown.txt.qz", grown, "pw");

    boxes_.AnswerQuestions(IDNO);
    EXPECT_EQ(window.DoubleClick("Taken.txt.qz", {L"pw"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{"“taken.txt”已存在，是否替换？"});
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "taken.txt"), older));
    EXPECT_EQ(window.Command(ID_MENU_DECRYPT, "Partly"), "");
    EXPECT_EQ(boxes_.Take(), Strings{"此目录下有未加密文件,是否继续?"});
    boxes_.AnswerQuestions(IDYES);
    EXPECT_EQ(window.DoubleClick("Taken.txt.qz", {L"pw"}), "D");
    EXPECT_EQ(boxes_.Take(), (Strings{"“taken.txt”已存在，是否替换？", "解密成功！"}));

    EXPECT_EQ(window.Command(ID_MENU_DECRYPT, "Menu.txt.qz", {L"pw"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{"解密成功！"});
  });
  EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "taken.txt"), secret));
  EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "menu.txt"), secret));
  EXPECT_EQ(NamesIn(partly), (Strings{"q.txt.qz", "r.txt"}));
  EXPECT_TRUE(SameBytes(ReadBytes(partly + "q.txt.qz"), partlyQz));
}

// A folder whose full path passes the system's limit of 32,767 characters is listed, but
// neither entered nor worked on. No disk here takes such a path (Linux stops at 4,096
// bytes), so the window is told it shows one while its list holds a folder it listed.
TEST_F(CommandsTest, FoldersBeyondThePathLimitAreRefused) {
  MakeDir(kRoot + "deep");
  std::string beyond = kRoot;
  while (beyond.size() < 32768) beyond += std::string(99, 'd') + "\\";
  beyond.resize(qz::MaxPathLength() - 3);  // with "deep", one character too many
  beyond.back() = '\\';
  ASSERT_GT(qz::MaxPathLength(), 32700u);
  const int prompts = g_events.prompts;
  WithWindow(kRoot, [&](Window& window) {
    window.dialog().SetCurrentFolderUnlisted(beyond);
    window.DoubleClick("Deep");
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Deep"), "");
    EXPECT_EQ(boxes_.Take(), (Strings{"路径太长，无法进入此目录。", "路径太长，无法处理此项。"}));
    EXPECT_EQ(window.dialog().CurrentFolder(), beyond);
  });
  EXPECT_EQ(g_events.prompts, prompts);
}

TEST_F(CommandsTest, ContextMenuOffersCommandsByKindAndMenuCommandsOnItems) {
  MakeDir(kRoot + "plain");
  MakeDir(kRoot + "hid", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(kRoot + "hid\\in.txt", PatternBytes(10, 50));
  MakeQz(kRoot + "enc.qz", PatternBytes(10, 51), "pw");
  MakeFile(kRoot + "strong.AGE", PatternBytes(10, 53));
  const Bytes note = PatternBytes(80, 52);
  MakeFile(kRoot + "note.txt", note);
  ASSERT_EQ(Attributes(kRoot + "plain"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  WithWindow(kRoot, [&](Window& window) {
    ASSERT_EQ(window.Items(), (Strings{"Hid", "Plain", "Enc.qz", "Note.txt", "Strong.age"}));
    using Ids = std::vector<UINT>;
    EXPECT_EQ(window.ContextMenu(1), (Ids{ID_MENU_ENCRYPT, ID_MENU_DECRYPT, ID_MENU_UPGRADE}));
    // A hidden folder is a folder, as for the listing and a double-click.
    EXPECT_EQ(window.ContextMenu(0), (Ids{ID_MENU_ENCRYPT, ID_MENU_DECRYPT, ID_MENU_UPGRADE}));
    EXPECT_EQ(window.ContextMenu(2), (Ids{ID_MENU_DECRYPT, ID_MENU_UPGRADE}));
    EXPECT_EQ(window.ContextMenu(3), Ids{ID_MENU_ENCRYPT});
    // A strong file's extension counts in any case; it cannot be upgraded further.
    EXPECT_EQ(window.ContextMenu(4), Ids{ID_MENU_DECRYPT});
    EXPECT_FALSE(window.ContextMenu(-1).has_value());

    int prompts = g_events.prompts;
    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, -1), "");
    EXPECT_EQ(g_events.prompts, prompts);

    EXPECT_EQ(window.Command(ID_MENU_ENCRYPT, "Hid", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(), Strings{"目录加密完成！"});

    // "解密" on a plain file encrypts it.
    EXPECT_EQ(window.Command(ID_MENU_DECRYPT, "Note.txt", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(), Strings{"加密成功！"});

    // A command chosen in the menu acts on the item the menu was opened for, whatever is
    // selected: the empty folder, not the selected file.
    window.Select(window.Find("Enc.qz"));
    EXPECT_EQ(window.ChooseFromMenu(window.Find("Plain"), ID_MENU_ENCRYPT), "");
    EXPECT_EQ(boxes_.Take(), Strings{"目录加密完成！"});
  });
  EXPECT_EQ(NamesIn(kRoot), (Strings{"enc.qz", "hid", "note.txt.qz", "plain", "strong.AGE"}));
  EXPECT_EQ(NamesIn(kRoot + "hid\\"), Strings{"in.txt.qz"});
  ExpectEncrypted(kRoot + "Note.txt.qz", note, "pw");
}

// A dropped folder is listed; a dropped file gets a double-click's command in its listed
// folder; several files are a batch of just them, each kind with one password prompt and
// one closing message in all. Paths that cannot be worked on are refused as a whole.
TEST_F(CommandsTest, DroppedFoldersAreListedAndDroppedFilesEncryptedOrDecrypted) {
  const std::string inbox = kRoot + "inbox\\";
  MakeDir(inbox);
  MakeDir(inbox + "sub");
  const Bytes report = PatternBytes(700, 60), a = PatternBytes(100, 61), b = PatternBytes(200, 62);
  for (const auto& [name, bytes] : {std::pair{"REPORT.TXT", report}, {"a.txt", a}, {"b.txt", b}, {"c.txt", b}})
    MakeFile(inbox + name, bytes);
  WithWindow(kRoot, [&](Window& window) {
    CFileBrowserDlg& dialog = window.dialog();
    EXPECT_EQ(window.Drop({Wide(inbox + "sub")}), "");
    EXPECT_EQ(dialog.CurrentFolder(), inbox + "sub\\");
    // Shown as Report.txt, it becomes REPORT.TXT.qz, as a double-click makes it.
    EXPECT_EQ(window.Drop({Wide(inbox + "REPORT.TXT")}, {L"one pw"}), "E");
    EXPECT_EQ(dialog.CurrentFolder(), inbox);
    EXPECT_EQ(boxes_.Take(), Strings{"加密成功！"});
    ExpectEncrypted(inbox + "REPORT.TXT.qz", report, "one pw");

    EXPECT_EQ(window.Drop({Wide(inbox + "a.txt"), Wide(inbox + "sub"), Wide(inbox + "b.txt")}, {L"two pw"}), "E");
    EXPECT_EQ(boxes_.Take(), (Strings{"一次拖放多项时只处理文件，1 个目录未作处理。", "文件加密完成！"}));
    ExpectEncrypted(inbox + "b.txt.qz", b, "two pw");
    // The plain file first, then the encrypted one.
    EXPECT_EQ(window.Drop({Wide(inbox + "a.txt.qz"), Wide(inbox + "c.txt")}, {L"c pw", L"two pw"}), "ED");
    EXPECT_EQ(boxes_.Take(), Strings{"文件加密和解密完成！"});
    EXPECT_TRUE(SameBytes(ReadBytes(inbox + "a.txt"), a));

    const int refreshes = g_events.refreshes;
    // An unpaired surrogate: no UTF-8 path can name that file.
    EXPECT_EQ(window.Drop({Wide(inbox + "b.txt.qz"), Wide(inbox) + L"\xD800.txt"}), "");
    EXPECT_EQ(window.Drop({Wide(inbox) + std::wstring(32767, L'x')}), "");
    EXPECT_EQ(boxes_.Take(), (Strings{"“" + inbox + "\xEF\xBF\xBD.txt”的名称含有本系统无法表示的字符，无法处理。",
                                      "路径太长，无法处理“" + inbox + std::string(32767, 'x') + "”。"}));
    EXPECT_EQ(g_events.refreshes, refreshes);
  });
  EXPECT_EQ(NamesIn(inbox), (Strings{"REPORT.TXT.qz", "a.txt", "b.txt.qz", "c.txt.qz", "sub"}));
  ExpectEncrypted(inbox + "c.txt.qz", b, "c pw");
}

}  // namespace

TEST_F(CommandsTest, ShortNamesKeepTheQzAndFilesWithOtherLinksAskFirst) {
  // "a" is too short for a matching name to tell a wrong password from the right one.
  const Bytes a = PatternBytes(90, 80), linked = PatternBytes(60, 81);
  MakeQz(kRoot + "a.qz", a, "pw");
  const Bytes aQz = ReadBytes(kRoot + "a.qz");
  MakeFile(kRoot + "linked.txt", linked);
  ASSERT_TRUE(CreateHardLinkW(qz::WidePath(kRoot + "other.txt").c_str(), qz::WidePath(kRoot + "linked.txt").c_str(),
                              nullptr));
  const char* encryptQuestion = "“linked.txt”还有其他链接，加密后其他链接仍是明文。仍要加密吗？";
  const char* decryptQuestion = "“linked.txt.qz”还有其他链接，解密后其他链接仍是加密文件。仍要解密吗？";

  WithWindow(kRoot, [&](Window& window) {
    EXPECT_EQ(window.DoubleClick("A.qz", {L"pw"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{"文件名过短，无法确认密码；已保留加密文件。"});
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "a"), a));
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "a.qz"), aQz));

    boxes_.AnswerQuestions(IDNO);
    EXPECT_EQ(window.DoubleClick("Linked.txt", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(), Strings{encryptQuestion});
    EXPECT_EQ(Attributes(kRoot + "linked.txt.qz"), INVALID_FILE_ATTRIBUTES);
    boxes_.AnswerQuestions(IDYES);
    EXPECT_EQ(window.DoubleClick("Linked.txt", {L"pw"}), "E");
    EXPECT_EQ(boxes_.Take(), (Strings{encryptQuestion, "加密成功！"}));
    ExpectEncrypted(kRoot + "linked.txt.qz", linked, "pw");
    EXPECT_TRUE(SameBytes(ReadBytes(kRoot + "other.txt"), linked));

    ASSERT_TRUE(CreateHardLinkW(qz::WidePath(kRoot + "copy.qz").c_str(),
                                qz::WidePath(kRoot + "linked.txt.qz").c_str(), nullptr));
    boxes_.AnswerQuestions(IDNO);
    EXPECT_EQ(window.DoubleClick("Linked.txt.qz", {L"pw"}), "D");
    EXPECT_EQ(boxes_.Take(), Strings{decryptQuestion});
    boxes_.AnswerQuestions(IDYES);
  });
  EXPECT_EQ(NamesIn(kRoot), (Strings{"a", "a.qz", "copy.qz", "linked.txt.qz", "other.txt"}));
}

// A cancel in the decrypting half of a drop counts both halves; a file whose ".qz" had to
// stay is not done.
TEST_F(CommandsTest, ACancelInAMixedDropCountsTheWholeSelection) {
  const std::vector<std::string> names = {"c.txt", "d.txt", "x.qz", "big1.qz", "big2.qz"};
  MakeFile(kRoot + names[0], PatternBytes(100, 90));
  MakeFile(kRoot + names[1], PatternBytes(100, 91));
  MakeQz(kRoot + names[2], PatternBytes(100, 92), "pw");  // "x" is too short to confirm it
  for (const std::string& big : {names[3], names[4]}) MakeQz(kRoot + big, PatternBytes(32 << 20, 93), "pw");
  std::vector<std::wstring> dropped;
  for (const std::string& name : names) dropped.push_back(Wide(kRoot + name));
  WithWindow(kRoot, [&](Window& window) {
    HWND main = window.dialog().m_hWnd;
    const auto drop = [&] { SendMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(dropped)), 0); };
    // Closing the window while a large file is in hand, once "x" is out, asks for a cancel.
    const auto inHand = [&] {
      const Strings now = NamesIn(kRoot);
      return Exists(kRoot + "x") && std::any_of(now.begin(), now.end(), [](const std::string& name) {
               return name.rfind("~qz", 0) == 0;
             });
    };
    EXPECT_EQ(window.Run(drop, {L"pw", L"pw"},
                         [&](const std::atomic<bool>& done) {
                           WaitUntil([&] { return inHand() || done; }, Millis(30000), Millis(1));
                           if (!done) PostMessageW(main, WM_CLOSE, 0, 0);
                         }),
              "ED");
  });
  int done = 0;
  for (const std::string& name : names) done += !Exists(kRoot + name);
  EXPECT_TRUE(Exists(kRoot + "x"));
  EXPECT_GE(done, 2);
  const Strings boxes = boxes_.Take();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(), "已取消：已完成 " + std::to_string(done) + " 个文件，共 5 个。");
}
