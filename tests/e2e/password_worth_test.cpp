// What the encryption dialog says a password and a kind of file are worth, driven like a
// user with the mouse and the keyboard: the line under the check box, the strength line
// as a password is typed, the question before a weak password makes a strong file, a
// generated passphrase and its copy, and the box's state kept from one start to the next.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kFolder = "C:\\qz-e2e-worth";
constexpr int kStrongNoteId = 1023;
constexpr int kStrengthId = 1024;
constexpr int kGenerateId = 1025;
constexpr int kPassphraseId = 1026;
constexpr int kCopyId = 1027;

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

class PasswordWorthTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    RemoveTree(kFolder);
    MakeDir(kFolder);
    plain_ = PatternBytes(2000, 5);
    MakeFile(kFolder + "\\a.txt", plain_);
    MakeFile(kFolder + "\\b.txt", plain_);
  }

  void TearDown() override {
    if (HasFailure()) process_.Kill();
    LockmereWindowTest::TearDown();
    ForgetSettings();
    RemoveTree(kFolder);
  }

  // The encryption dialog of a double-click on `item` in the test's folder.
  HWND OpenEncryption(const std::string& item) {
    HWND dialog = nullptr;
    EXPECT_TRUE(DoubleClickItem(item));
    EXPECT_TRUE(OpenedPasswordDialog(true, &dialog));
    return dialog;
  }

  static bool ClickControl(HWND dialog, int id) {
    RECT rect{};
    return GetWindowRect(GetDlgItem(dialog, id), &rect) && LeftClickAt(Center(rect));
  }

  // The static line `id` once it differs from `before`.
  static std::string ChangedLine(HWND dialog, int id, const std::string& before) {
    std::string now;
    WaitUntil([&] { return (now = ControlText(dialog, id)) != before; }, kWindowTimeout);
    return now;
  }

  // The first message box to appear, answered with `answer`; its text.
  std::string Answer(int answer) {
    MessageBoxWindow box;
    WaitUntil([&] { auto boxes = Boxes(); return !boxes.empty() && (box = boxes.front()).window; }, kWindowTimeout);
    EXPECT_TRUE(AnswerMessageBox(box, answer)) << "no message box";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }, kWindowTimeout));
    return box.text;
  }

  HWND PassphraseBox() {
    for (HWND w : TopLevelWindows(process_.id()))
      if (IsWindowVisible(w) && GetDlgItem(w, kPassphraseId)) return w;
    return nullptr;
  }

  Bytes plain_;
};

TEST_F(PasswordWorthTest, TheDialogJudgesAndGeneratesPasswordsAndKeepsTheChosenKind) {
  Launch();
  ASSERT_TRUE(DoubleClickItem("Qz-e2e-worth"));
  HWND dialog = OpenEncryption("A.txt");
  ASSERT_TRUE(dialog);
  EXPECT_FALSE(StrongBoxChecked(dialog));
  EXPECT_EQ(ControlText(dialog, kStrongNoteId), "生成 .qz 文件：只能防止随意查看，不能真正保密。");
  const std::string qzEmpty = ControlText(dialog, kStrengthId);
  ASSERT_TRUE(ClickControl(dialog, kStrongBoxId));
  EXPECT_EQ(ChangedLine(dialog, kStrongNoteId, "生成 .qz 文件：只能防止随意查看，不能真正保密。"),
            "生成 .age 文件：没有密码无法读取，任何改动都会被发现。");
  const std::string strongEmpty = ChangedLine(dialog, kStrengthId, qzEmpty);
  EXPECT_NE(strongEmpty, qzEmpty) << "the strength line does not follow the box";

  // Typed at the keyboard: the strength line judges it as it grows.
  ASSERT_TRUE(ClickControl(dialog, kPasswordId));
  ASSERT_TRUE(TypeAtKeyboard(L"123456"));
  const std::string weak = ChangedLine(dialog, kStrengthId, strongEmpty);
  EXPECT_EQ(weak.rfind("密码强度：很弱（", 0), 0u) << weak;
  ASSERT_TRUE(TypeAtKeyboard(L"\t123456"));
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kRetypeId) == "123456"; }, kWindowTimeout));

  // OK asks; No keeps the dialog and both fields, Yes makes the strong file.
  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(ClickControl(dialog, IDOK));
    const std::string question = Answer(answer), end = "）。仍要使用吗？";
    EXPECT_EQ(question.rfind("此密码容易被猜中（很弱，", 0), 0u) << question;
    EXPECT_EQ(question.substr(question.size() - std::min(question.size(), end.size())), end) << question;
    if (answer == IDNO) {
      EXPECT_TRUE(IsWindowVisible(dialog));
      EXPECT_EQ(ControlText(dialog, kPasswordId), "123456");
      EXPECT_EQ(ControlText(dialog, kRetypeId), "123456");
    }
  }
  ASSERT_TRUE(Acknowledge("加密成功！"));
  EXPECT_TRUE(Exists(kFolder + "\\a.txt.age"));
  EXPECT_FALSE(Exists(kFolder + "\\a.txt"));

  // The generated passphrase fills both fields and is shown once, for copying.
  dialog = OpenEncryption("B.txt");
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(StrongBoxChecked(dialog));
  ASSERT_TRUE(ClickControl(dialog, kGenerateId));
  HWND shown = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (shown = PassphraseBox()) != nullptr; }, kWindowTimeout));
  const std::string passphrase = ControlText(shown, kPassphraseId);
  EXPECT_FALSE(passphrase.empty());
  EXPECT_EQ(ControlText(dialog, kPasswordId), passphrase);
  EXPECT_EQ(ControlText(dialog, kRetypeId), passphrase);
  ASSERT_TRUE(ClickControl(shown, kCopyId));
  EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == Utf8ToWide(passphrase); }, kWindowTimeout));
  ASSERT_TRUE(ClickButton(shown, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(shown); }, kWindowTimeout));
  ASSERT_TRUE(ClickButton(dialog, IDCANCEL));

  // The box's state outlives the program.
  CloseBox(main_);
  ASSERT_TRUE(EndsWithin(process_, kPromptExit, "the close box"));
  ASSERT_TRUE(LaunchLockmere(process_, &main_));
  list_ = GetDlgItem(main_, kFileListId);
  ASSERT_TRUE(DoubleClickItem("Qz-e2e-worth"));
  dialog = OpenEncryption("B.txt");
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(StrongBoxChecked(dialog));
  ASSERT_TRUE(ClickButton(dialog, IDCANCEL));
}

}  // namespace
}  // namespace qz::e2e
