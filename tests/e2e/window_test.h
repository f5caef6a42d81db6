// The real Lockmere.exe under test, driven from outside like a user: items found in the
// list and double-clicked or right-clicked with the mouse, password dialogs found and
// filled, message boxes read and answered. Each end-to-end case derives its fixture.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "harness/input.h"
#include "harness/pointer.h"
#include "harness/remote_controls.h"
#include "harness/shared.h"
#include "harness/window_find.h"
#include "lockmere_launch.h"

namespace qz::e2e {

constexpr int kFileListId = 1000;
constexpr int kPathLabelId = 1002;
constexpr int kPasswordId = 1015;
constexpr int kRetypeId = 1016;
constexpr int kStrongBoxId = 1017;
constexpr int kWholeTreeBoxId = 1028;
constexpr char kWeakPasswordQuestion[] = "此密码容易被猜中（";
// Rows of the context menu are drawn 25 px high.
constexpr int kMenuRowHeight = 25;

constexpr Millis kWindowTimeout(10000);
// Encryption of a few kilobytes is quick; a loaded machine under Wine is not, and a strong
// file's password step alone takes a second or two there.
constexpr Millis kOperationTimeout(30000);

class LockmereWindowTest : public ::testing::Test {
 protected:
  // Starts the program as on a first start (no settings kept); its list shows C:\.
  void Launch() {
    ForgetSettings();
    ASSERT_TRUE(LaunchLockmere(process_, &main_));
    list_ = GetDlgItem(main_, kFileListId);
  }

  void TearDown() override {
    if (process_.Running()) {
      CloseBox(main_);
      EXPECT_TRUE(EndsWithin(process_, kPromptExit, "the close box at the end of the test"));
    }
  }

  // Index of the list item shown as `text` once it is there.
  ::testing::AssertionResult WaitForItem(const std::string& text, int* index) {
    std::string shown;
    const bool found = WaitUntil(
        [&] {
          auto items = ReadListViewItems(list_);
          if (!items) return false;
          shown.clear();
          for (size_t i = 0; i < items->size(); ++i) {
            shown += " \"" + (*items)[i].text + "\"";
            if ((*items)[i].text == text) {
              *index = static_cast<int>(i);
              return true;
            }
          }
          return false;
        },
        kWindowTimeout);
    if (found) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no item \"" << text << "\" in the list; it shows"
                                         << shown;
  }

  // The middle of the item's label on the screen, scrolled into view first.
  ::testing::AssertionResult ItemPoint(const std::string& text, POINT* point) {
    int index = -1;
    auto found = WaitForItem(text, &index);
    if (!found) return found;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE,
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    auto rect = ListItemScreenRect(list_, index, LVIR_LABEL);
    if (!rect) return ::testing::AssertionFailure() << "the rectangle of \"" << text << "\" could not be read";
    *point = Center(*rect);
    return ::testing::AssertionSuccess();
  }

  ::testing::AssertionResult DoubleClickItem(const std::string& text) {
    POINT point{};
    auto found = ItemPoint(text, &point);
    if (!found) return found;
    if (!DoubleClickAt(point)) return ::testing::AssertionFailure() << "the double-click could not be sent";
    return ::testing::AssertionSuccess();
  }

  // Where a context menu opened: the screen rectangles of its item's label and of the menu.
  struct MenuPlacement {
    RECT label{};
    RECT menu{};
  };

  // Opens the context menu over the item and chooses its row `row` (0 is the top one).
  ::testing::AssertionResult ChooseFromContextMenu(const std::string& text, int row,
                                                   MenuPlacement* placement = nullptr) {
    POINT point{};
    auto found = ItemPoint(text, &point);
    if (!found) return found;
    if (!RightClickAt(point)) return ::testing::AssertionFailure() << "the right click could not be sent";
    HWND menu = WaitForPopupMenu(process_.id(), kWindowTimeout);
    if (!menu) return ::testing::AssertionFailure() << "no popup menu after a right click on \"" << text << "\"";
    if (placement) {
      int index = -1;
      std::optional<RECT> label;
      if (!WaitForItem(text, &index) || !(label = ListItemScreenRect(list_, index, LVIR_LABEL)) ||
          !GetWindowRect(menu, &placement->menu))
        return ::testing::AssertionFailure() << "the menu's placement could not be read";
      placement->label = *label;
    }
    return ChooseFromMenu(menu, row);
  }

  ::testing::AssertionResult ChooseFromMenu(HWND menu, int row) {
    RECT client{};
    GetClientRect(menu, &client);
    POINT target{client.right / 2, row * kMenuRowHeight + kMenuRowHeight / 2};
    if (client.bottom < (row + 1) * kMenuRowHeight)
      return ::testing::AssertionFailure() << "the menu is " << client.bottom << " px high, too low for row "
                                           << row;
    ClientToScreen(menu, &target);
    // A menu shows before its tracking loop takes the mouse; a click in between closes it
    // unchosen (seen under load). Give the loop a moment.
    Sleep(200);
    if (!LeftClickAt(target)) return ::testing::AssertionFailure() << "the menu click could not be sent";
    if (!WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, kWindowTimeout))
      return ::testing::AssertionFailure() << "the menu stayed open after the click";
    return ::testing::AssertionSuccess();
  }

  // The password dialog: owned by the main window, with the password field, and with the
  // re-entry field exactly when it asks for encryption.
  HWND FindPasswordDialog() {
    for (HWND w : TopLevelWindows(process_.id()))
      if (w != main_ && IsWindowVisible(w) && ClassName(w) == kDialogClass &&
          GetDlgItem(w, kPasswordId))
        return w;
    return nullptr;
  }

  // Message boxes only: a password dialog's labels carry the same id as a box's text.
  std::vector<MessageBoxWindow> Boxes() {
    std::vector<MessageBoxWindow> boxes;
    for (const MessageBoxWindow& box : MessageBoxes(process_.id(), main_))
      if (!GetDlgItem(box.window, kPasswordId)) boxes.push_back(box);
    return boxes;
  }

  // The password dialog that opens now, checked: titled "Lockmere", modal to the main
  // window, and with the re-entry field exactly when it asks for encryption.
  ::testing::AssertionResult OpenedPasswordDialog(bool encrypt, HWND* opened) {
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = FindPasswordDialog()) != nullptr; }, kWindowTimeout)) {
      auto failure = ::testing::AssertionFailure()
                     << "no " << (encrypt ? "encryption" : "decryption") << " password dialog";
      for (const MessageBoxWindow& box : Boxes()) failure << "; message box: " << box.text;
      return failure;
    }
    if (WindowText(dialog) != "Lockmere")
      return ::testing::AssertionFailure() << "password dialog titled \"" << WindowText(dialog) << "\"";
    if ((GetDlgItem(dialog, kRetypeId) != nullptr) != encrypt)
      return ::testing::AssertionFailure() << "the " << (encrypt ? "decryption" : "encryption")
                                           << " password dialog came up instead";
    if (GetWindow(dialog, GW_OWNER) != main_ || IsWindowEnabled(main_))
      return ::testing::AssertionFailure() << "the password dialog is not modal to the main window";
    *opened = dialog;
    return ::testing::AssertionSuccess();
  }

  // Types the password into the dialog's fields and presses OK; the dialog must close. A
  // strong file's password that is easily guessed is taken when the program asks.
  ::testing::AssertionResult TypeAndConfirm(HWND dialog, const std::wstring& password) {
    for (int id : {kPasswordId, kRetypeId}) {
      HWND field = GetDlgItem(dialog, id);
      if (!field) continue;
      DWORD_PTR ok = 0;
      if (!SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()),
                               SMTO_ABORTIFHUNG, 5000, &ok) ||
          !ok)
        return ::testing::AssertionFailure() << "the password could not be typed into field " << id;
    }
    if (!ClickButton(dialog, IDOK)) return ::testing::AssertionFailure() << "no OK button";
    const auto closed = [&] {
      for (const MessageBoxWindow& box : Boxes())
        if (box.text.rfind(kWeakPasswordQuestion, 0) == 0) AnswerMessageBox(box, IDYES);
      return !IsWindow(dialog) || !IsWindowVisible(dialog);
    };
    if (!WaitUntil(closed, kWindowTimeout))
      return ::testing::AssertionFailure() << "the password dialog stayed open after OK";
    return ::testing::AssertionSuccess();
  }

  static bool StrongBoxChecked(HWND dialog, int id = kStrongBoxId) {
    DWORD_PTR state = BST_UNCHECKED;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
  }

  // Clicks the encryption dialog's check box "强加密" (or another) when it is not as wanted.
  static ::testing::AssertionResult SetStrongBox(HWND dialog, bool checked, int id = kStrongBoxId) {
    HWND box = GetDlgItem(dialog, id);
    if (!box || !IsWindowVisible(box)) return ::testing::AssertionFailure() << "the dialog shows no check box " << id;
    if (StrongBoxChecked(dialog, id) != checked && !PostMessageW(box, BM_CLICK, 0, 0))
      return ::testing::AssertionFailure() << "the check box could not be clicked";
    if (!WaitUntil([&] { return StrongBoxChecked(dialog, id) == checked; }, kWindowTimeout))
      return ::testing::AssertionFailure() << "the check box stayed " << (checked ? "unchecked" : "checked");
    return ::testing::AssertionSuccess();
  }

  // How EnterPassword leaves the encryption dialog's check box.
  enum class StrongBox { kAsItIs, kChecked, kUnchecked };

  ::testing::AssertionResult EnterPassword(bool encrypt, const std::wstring& password,
                                           StrongBox box = StrongBox::kAsItIs) {
    HWND dialog = nullptr;
    auto opened = OpenedPasswordDialog(encrypt, &dialog);
    if (!opened) return opened;
    if (box != StrongBox::kAsItIs) {
      auto set = SetStrongBox(dialog, box == StrongBox::kChecked);
      if (!set) return set;
    }
    return TypeAndConfirm(dialog, password);
  }

  // Waits for the next message box, checks its text and answers it with button (IDOK, or
  // IDYES or IDNO for a question).
  ::testing::AssertionResult Acknowledge(const std::string& expected, int button = IDOK) {
    MessageBoxWindow box;
    std::string others;
    const bool shown = WaitUntil(
        [&] {
          if (FindPasswordDialog()) others = " (a password dialog is open)";
          auto boxes = Boxes();
          if (boxes.empty()) return false;
          box = boxes.front();
          return true;
        },
        kOperationTimeout, Millis(50));
    if (!shown)
      return ::testing::AssertionFailure() << "no message \"" << expected << "\" within "
                                           << kOperationTimeout.count() / 1000 << " s" << others;
    if (!AnswerMessageBox(box, button))
      return ::testing::AssertionFailure() << "message \"" << box.text << "\" has no button " << button;
    if (box.text != expected)
      return ::testing::AssertionFailure() << "message \"" << box.text << "\", expected \"" << expected << "\"";
    if (box.caption != "Lockmere")
      return ::testing::AssertionFailure() << "message box titled \"" << box.caption << "\"";
    if (!WaitUntil([&] { return !IsWindow(box.window); }, kWindowTimeout))
      return ::testing::AssertionFailure() << "the message box stayed open after its answer";
    return ::testing::AssertionSuccess();
  }

  static ::testing::AssertionResult IsEncryptedCopy(const std::string& path, const Bytes& plain) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return ::testing::AssertionFailure() << path << " is missing";
    const DWORD mark = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    if ((attributes & mark) != mark)
      return ::testing::AssertionFailure() << path << " is not hidden and read-only (attributes "
                                           << attributes << ")";
    bool read = false;
    const Bytes bytes = ReadBytes(path, &read);
    if (!read) return ::testing::AssertionFailure() << path << " cannot be read";
    if (bytes.size() != plain.size() + 256)
      return ::testing::AssertionFailure() << path << " holds " << bytes.size() << " bytes, expected "
                                           << plain.size() + 256;
    if (plain.size() >= 16 && Bytes(bytes.begin() + 256, bytes.end()) == plain)
      return ::testing::AssertionFailure() << path << " holds the plain bytes";
    return ::testing::AssertionSuccess();
  }

  static ::testing::AssertionResult HoldsExactly(const std::string& path, const Bytes& expected) {
    bool read = false;
    const Bytes bytes = ReadBytes(path, &read);
    if (!read) return ::testing::AssertionFailure() << path << " is missing or unreadable";
    if (bytes != expected)
      return ::testing::AssertionFailure() << path << " differs from the original (" << bytes.size()
                                           << " bytes, expected " << expected.size() << ")";
    return ::testing::AssertionSuccess();
  }

  // The first item whose state has `flags` (LVNI_SELECTED, LVNI_FOCUSED), -1 for none.
  int ItemWith(UINT flags) const {
    DWORD_PTR item = static_cast<DWORD_PTR>(-2);
    SendMessageTimeoutW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flags, SMTO_ABORTIFHUNG, 5000, &item);
    return static_cast<int>(item);
  }

  ::testing::AssertionResult ShowsFolder(const std::string& dir) const {
    const std::string label = "当前路径：" + dir;
    if (WaitUntil([&] { return ControlText(main_, kPathLabelId) == label; }, kWindowTimeout))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "path label " << ControlText(main_, kPathLabelId);
  }

  // The rectangle of the popup menu that opens now, closed again with Esc unless kept.
  std::optional<RECT> OpenedMenu(HWND* kept = nullptr) {
    HWND menu = WaitForPopupMenu(process_.id(), kWindowTimeout);
    RECT rect{};
    if (!menu || !GetWindowRect(menu, &rect)) return std::nullopt;
    if (kept) *kept = menu;
    else if (!PressKeyAtKeyboard(VK_ESCAPE) || !WaitUntil([&] { return !IsWindowVisible(menu); }, kWindowTimeout))
      return std::nullopt;
    return rect;
  }

  ProgramProcess process_;
  HWND main_ = nullptr;
  HWND list_ = nullptr;
};

}  // namespace qz::e2e
