// The password dialogs run modally and typed into from a script thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "password_dialogs.h"
#include "resource.h"
#include "settings_file.h"
#include "support/message_queue.h"
#include "support/wait.h"
#include "support/window_query.h"
#include "ui_test_support.h"

namespace {

using qz::wintest::FocusOf;
using qz::wintest::Millis;
using qz::wintest::Sync;
using qz::wintest::TextOf;
using qz::wintest::WaitUntil;
using uitest::MessageBoxRecorder;
using uitest::RunModal;

const char kDefault[] = "QX31742#MVB";
const char kMismatch[] = "两次密码不一致,请重新输入!";

void Type(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void PressKey(HWND dialog, WPARAM key) {
  PostMessageW(FocusOf(dialog), WM_KEYDOWN, key, 1);
  PostMessageW(FocusOf(dialog), WM_KEYUP, key, 0xC0000001);
}

// Clicks OK and waits for the refusal: a new message box, the fields emptied, the focus
// on the password field and the dialog still open.
void ExpectRefusedOnOk(HWND dialog, const MessageBoxRecorder& boxes, bool twoFields) {
  size_t before = boxes.Count();
  Click(dialog, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return boxes.Count() > before; }, Millis(5000))) << "no message";
  Sync(dialog);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_PASSWORD)), L"");
  if (twoFields) {
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_RETYPE)), L"");
  }
  EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_PASSWORD));
}

struct Outcome {
  INT_PTR result;
  std::string password;        // code page 936
  std::string strongPassword;  // UTF-8
  bool strong = false;         // the encryption dialog's choice
};

// The settings of a test stay in memory: an empty path keeps nothing on disk.
Outcome Encrypt(const std::function<void(HWND)>& script, bool strongChosen = false) {
  SettingsFile settings(L"");
  settings.Change(Settings{strongChosen});
  CEncryptPasswordDlg dialog(settings);
  INT_PTR result = RunModal(dialog, script);
  return {result, std::string(dialog.m_password.view()), std::string(dialog.m_strongPassword.view()),
          dialog.m_bStrong != FALSE};
}

Outcome Decrypt(const std::function<void(HWND)>& script, PasswordUse use = PasswordUse::kQzFiles) {
  CDecryptPasswordDlg dialog(use);
  INT_PTR result = RunModal(dialog, script);
  return {result, std::string(dialog.m_password.view()), std::string(dialog.m_strongPassword.view())};
}

bool Checked(HWND dialog) { return SendMessageW(GetDlgItem(dialog, IDC_STRONG), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Characters as typed at the keyboard, to whatever has the focus.
void TypeKeys(HWND dialog, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(FocusOf(dialog), WM_CHAR, c, 1);
}

TEST(PasswordDialogsTest, TypingAtOnceGoesIntoThePasswordField) {
  MessageBoxRecorder boxes;
  // "y" is the OK button's mnemonic: with the focus on a button it would press OK.
  Outcome encrypt = Encrypt([](HWND dialog) {
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_PASSWORD));
    TypeKeys(dialog, L"my secret");
    EXPECT_TRUE(WaitUntil([&] { return TextOf(GetDlgItem(dialog, IDC_PASSWORD)) == L"my secret"; }, Millis(5000)));
    EXPECT_TRUE(IsWindowVisible(dialog));
    PressKey(dialog, VK_ESCAPE);
  });
  EXPECT_EQ(encrypt.result, IDCANCEL);
  Outcome decrypt = Decrypt([](HWND dialog) {
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_PASSWORD));
    TypeKeys(dialog, L"yes");
    EXPECT_TRUE(WaitUntil([&] { return TextOf(GetDlgItem(dialog, IDC_PASSWORD)) == L"yes"; }, Millis(5000)));
    PressKey(dialog, VK_RETURN);
  });
  EXPECT_EQ(decrypt.result, IDOK);
  EXPECT_EQ(decrypt.password, "yes");
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST(PasswordDialogsTest, EmptyFieldsGiveTheDefaultPassword) {
  MessageBoxRecorder boxes;
  Outcome enter = Encrypt([](HWND dialog) {
    PressKey(dialog, VK_RETURN);  // the default button, from the empty field
  });
  EXPECT_EQ(enter.result, IDOK);
  EXPECT_EQ(enter.password, kDefault);

  Outcome typed = Encrypt([](HWND dialog) {
    Type(dialog, IDC_PASSWORD, L"QX31742#MVB");
    Type(dialog, IDC_RETYPE, L"QX31742#MVB");
    Click(dialog, IDOK);
  });
  EXPECT_EQ(typed.result, IDOK);
  EXPECT_EQ(typed.password, kDefault);

  Outcome decrypt = Decrypt([](HWND dialog) { Click(dialog, IDOK); });
  EXPECT_EQ(decrypt.result, IDOK);
  EXPECT_EQ(decrypt.password, kDefault);
  EXPECT_EQ(boxes.Count(), 0u);
}

// Where else in this process's readable memory the text's UTF-16 bytes are, but for its
// first 8 characters: a freed block's first bytes take the heap's own links.
size_t CopiesInMemory(const std::wstring& text) {
  const char* needle = reinterpret_cast<const char*>(text.data() + 8);
  const char* needleEnd = reinterpret_cast<const char*>(text.data() + text.size());
  const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE;
  size_t copies = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region); at += region.RegionSize) {
    at = static_cast<const char*>(region.BaseAddress);
    if (region.State != MEM_COMMIT || !(region.Protect & readable) || (region.Protect & PAGE_GUARD)) continue;
    const char* end = at + region.RegionSize;
    for (const char* found = at; (found = std::search(found, end, needle, needleEnd)) != end; ++found)
      copies += found != needle;
  }
  return copies;
}

TEST(PasswordDialogsTest, AClosedDialogLeavesNoCopyOfItsField) {
  // Typed a character at a time and never read whole, so that only the field holds it.
  // Code page 936 lacks the last character, so OK refuses it and empties the field.
  const std::wstring secret = L"Wipe-\u6D4B\u8BD5-" + std::to_wstring(GetTickCount64()) + L"\U0001F600";
  for (const bool retry : {true, false}) {
    MessageBoxRecorder boxes;
    Outcome outcome = Decrypt([&](HWND dialog) {
      TypeKeys(dialog, secret);
      HWND field = GetDlgItem(dialog, IDC_PASSWORD);
      EXPECT_TRUE(WaitUntil([&] { return GetWindowTextLengthW(field) == static_cast<int>(secret.size()); }, Millis(5000)));
      if (retry) ExpectRefusedOnOk(dialog, boxes, false);
      PressKey(dialog, VK_ESCAPE);
    });
    EXPECT_EQ(outcome.result, IDCANCEL);
    EXPECT_EQ(CopiesInMemory(secret), 0u) << (retry ? "emptied for a retry" : "cancelled");
  }
}

TEST(PasswordDialogsTest, TypedPasswordsAreTakenAsTheyAre) {
  MessageBoxRecorder boxes;
  Outcome space = Encrypt([](HWND dialog) {
    Type(dialog, IDC_PASSWORD, L" ");
    Type(dialog, IDC_RETYPE, L" ");
    Click(dialog, IDOK);
  });
  EXPECT_EQ(space.result, IDOK);
  EXPECT_EQ(space.password, " ");

  Outcome chinese = Decrypt([](HWND dialog) {
    Type(dialog, IDC_PASSWORD, L"\u4E2D\u6587 Ab");
    Click(dialog, IDOK);
  });
  EXPECT_EQ(chinese.result, IDOK);
  EXPECT_EQ(chinese.password, "\xD6\xD0\xCE\xC4 Ab");  // code page 936 bytes
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST(PasswordDialogsTest, MismatchKeepsTheDialogOpenWithEmptyFields) {
  MessageBoxRecorder boxes;
  Outcome outcome = Encrypt([&](HWND dialog) {
    Type(dialog, IDC_PASSWORD, L"secret");
    ExpectRefusedOnOk(dialog, boxes, true);
    Type(dialog, IDC_RETYPE, L"secret");
    ExpectRefusedOnOk(dialog, boxes, true);
    Type(dialog, IDC_PASSWORD, L"Secret");
    Type(dialog, IDC_RETYPE, L"secret");
    ExpectRefusedOnOk(dialog, boxes, true);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(outcome.result, IDCANCEL);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>(3, kMismatch));
}

TEST(PasswordDialogsTest, CancelEscapeAndCloseBoxGiveCancel) {
  MessageBoxRecorder boxes;
  EXPECT_EQ(Encrypt([](HWND dialog) { Click(dialog, IDCANCEL); }).result, IDCANCEL);
  EXPECT_EQ(Encrypt([](HWND dialog) {
              Type(dialog, IDC_PASSWORD, L"x");
              PressKey(dialog, VK_ESCAPE);
            }).result, IDCANCEL);
  EXPECT_EQ(Encrypt([](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }).result,
            IDCANCEL);
  EXPECT_EQ(Decrypt([](HWND dialog) { PressKey(dialog, VK_ESCAPE); }).result, IDCANCEL);
  EXPECT_EQ(Decrypt([](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }).result,
            IDCANCEL);
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST(PasswordDialogsTest, AtMost259BytesOfCodePage936) {
  MessageBoxRecorder boxes;
  const std::wstring ascii259(259, L'a');
  // 129 double-byte characters and one ASCII byte: exactly 259 bytes.
  const std::wstring chinese259 = std::wstring(129, L'\u4E2D') + L"x";
  const std::wstring chinese260(130, L'\u4E2D');

  Outcome longest = Encrypt([&](HWND dialog) {
    for (int id : {IDC_PASSWORD, IDC_RETYPE})
      EXPECT_EQ(SendMessageW(GetDlgItem(dialog, id), EM_GETLIMITTEXT, 0, 0), 259);
    // Typing a 260th character is not possible.
    HWND field = GetDlgItem(dialog, IDC_PASSWORD);
    Type(dialog, IDC_PASSWORD, ascii259);
    SendMessageW(field, EM_SETSEL, 259, 259);
    PostMessageW(field, WM_CHAR, 'b', 1);
    Sync(dialog);
    EXPECT_EQ(TextOf(field), ascii259);

    Type(dialog, IDC_PASSWORD, chinese260);
    Type(dialog, IDC_RETYPE, chinese260);
    ExpectRefusedOnOk(dialog, boxes, true);
    Type(dialog, IDC_PASSWORD, L"\U0001F600");
    Type(dialog, IDC_RETYPE, L"\U0001F600");
    ExpectRefusedOnOk(dialog, boxes, true);
    Type(dialog, IDC_PASSWORD, ascii259);
    Type(dialog, IDC_RETYPE, ascii259);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(longest.result, IDOK);
  EXPECT_EQ(longest.password, std::string(259, 'a'));
  EXPECT_EQ(boxes.Count(), 2u);

  Outcome decrypt = Decrypt([&](HWND dialog) {
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_PASSWORD), EM_GETLIMITTEXT, 0, 0), 259);
    Type(dialog, IDC_PASSWORD, chinese260);
    ExpectRefusedOnOk(dialog, boxes, false);
    Type(dialog, IDC_PASSWORD, L"\U0001F600");
    ExpectRefusedOnOk(dialog, boxes, false);
    Type(dialog, IDC_PASSWORD, chinese259);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(decrypt.result, IDOK);
  EXPECT_EQ(decrypt.password.size(), 259u);
  EXPECT_EQ(boxes.Count(), 4u);
  for (const std::string& text : boxes.Texts()) EXPECT_NE(text, kMismatch);
}

// A strong password is the field's text as UTF-8, not held to 259 bytes of code page 936
// (the end-to-end tests type one no ANSI code page has). Where ".qz" files are opened
// too, the code page 936 form comes beside it, refused as ever when that code page cannot
// hold it; an empty entry is their default, but never a strong file's password.
TEST(PasswordDialogsTest, StrongPasswordsAreUtf8AndNeverEmpty) {
  MessageBoxRecorder boxes;
  const char kEmpty[] = "强加密需要输入密码。";
  const std::wstring chinese260(130, L'\u4E2D');
  Outcome longest = Encrypt([&](HWND dialog) {
    EXPECT_TRUE(Checked(dialog));
    Type(dialog, IDC_PASSWORD, chinese260);
    Type(dialog, IDC_RETYPE, chinese260);
    Click(dialog, IDOK);
  }, true);
  EXPECT_EQ(longest.result, IDOK);
  EXPECT_TRUE(longest.strong);
  EXPECT_EQ(longest.strongPassword.size(), 390u);
  EXPECT_EQ(longest.password, "");

  // An upgrade's empty entry is the ".qz" default; its strong file gets a new password.
  Outcome upgrade = Decrypt([&](HWND dialog) { Click(dialog, IDOK); }, PasswordUse::kUpgrade);
  EXPECT_EQ(upgrade.result == IDOK ? upgrade.password + "|" + upgrade.strongPassword : "", kDefault + std::string("|"));
  for (PasswordUse use : {PasswordUse::kStrongFiles, PasswordUse::kUpgrade}) {
    Outcome outcome = Decrypt([&](HWND dialog) {
      if (use == PasswordUse::kStrongFiles) ExpectRefusedOnOk(dialog, boxes, false);
      Type(dialog, IDC_PASSWORD, L"\u4E2D Ab");
      Click(dialog, IDOK);
    }, use);
    EXPECT_EQ(outcome.result, IDOK);
    EXPECT_EQ(outcome.strongPassword, "\xE4\xB8\xAD Ab");
    EXPECT_EQ(outcome.password, use == PasswordUse::kUpgrade ? "\xD6\xD0 Ab" : "");
  }
  Outcome both = Decrypt([&](HWND dialog) {
    Type(dialog, IDC_PASSWORD, L"\U0001F600");
    ExpectRefusedOnOk(dialog, boxes, false);
    Click(dialog, IDOK);
  }, PasswordUse::kBothKinds);
  EXPECT_EQ(both.result, IDOK);
  EXPECT_EQ(both.password, kDefault);
  EXPECT_EQ(both.strongPassword, "");
  // One character 130 times is easily guessed: asked first, and taken (the recorder answers Yes).
  std::vector<std::string> texts = boxes.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].rfind("此密码容易被猜中（", 0), 0u) << texts[0];
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()),
            (std::vector<std::string>{kEmpty, "密码中有本系统不能表示的字符，请重新输入!"}));
}

}  // namespace
