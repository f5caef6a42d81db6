// The encryption dialog by mouse and keyboard: what the box and the password are worth, the
// question before a weak strong password, a generated passphrase, the box kept across starts.
#include <gtest/gtest.h>

#include <algorithm>

#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kFolder = "C:\\qz-e2e-worth";
constexpr int kNoteId = 1023, kStrengthId = 1024, kGenerateId = 1025, kPassphraseId = 1026, kCopyId = 1027;
const char kQzNote[] = "生成 .qz 文件：只能防止随意查看，不能真正保密。";

std::wstring ClipboardText() {
  std::wstring text;
  HANDLE data = OpenClipboard(nullptr) ? GetClipboardData(CF_UNICODETEXT) : nullptr;
  if (const auto* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) text = chars;
  GlobalUnlock(data);
  CloseClipboard();
  return text;
}

class PasswordWorthTest : public LockmereWindowTest {
 protected:
  void TearDown() override {
    if (HasFailure()) process_.Kill();
    LockmereWindowTest::TearDown();
    ForgetSettings();
    RemoveTree(kFolder);
  }

  static bool Click(HWND window, int id) {
    RECT rect{};
    return GetWindowRect(GetDlgItem(window, id), &rect) && LeftClickAt(Center(rect));
  }

  // The text of control id once it is no longer `before`, read again: a change between the
  // reads of its length and its text cuts the first read short.
  static std::string Changed(HWND dialog, int id, const std::string& before) {
    WaitUntil([&] { return ControlText(dialog, id) != before; }, kWindowTimeout);
    return ControlText(dialog, id);
  }
};

TEST_F(PasswordWorthTest, TheDialogJudgesAndGeneratesPasswordsAndKeepsTheChosenKind) {
  RemoveTree(kFolder);
  MakeDir(kFolder);
  for (const char* name : {"\\a.txt", "\\b.txt"}) MakeFile(kFolder + name, PatternBytes(2000, 5));
  Launch();
  HWND dialog = nullptr;
  ASSERT_TRUE(DoubleClickItem("Qz-e2e-worth") && DoubleClickItem("A.txt") && OpenedPasswordDialog(true, &dialog));
  EXPECT_EQ(ControlText(dialog, kNoteId), kQzNote);
  const std::string qzEmpty = ControlText(dialog, kStrengthId);
  ASSERT_TRUE(Click(dialog, kStrongBoxId));
  EXPECT_EQ(Changed(dialog, kNoteId, kQzNote), "生成 .age 文件：没有密码无法读取，任何改动都会被发现。");
  const std::string strongEmpty = ControlText(dialog, kStrengthId);
  EXPECT_NE(strongEmpty, qzEmpty) << "the strength line does not follow the box";

  ASSERT_TRUE(Click(dialog, kPasswordId));
  ASSERT_TRUE(TypeAtKeyboard(L"123456\t123456"));
  const std::string weak = Changed(dialog, kStrengthId, strongEmpty);
  EXPECT_EQ(weak.rfind("密码强度：很弱（", 0), 0u) << weak;
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kRetypeId) == "123456"; }, kWindowTimeout));

  // OK asks; No keeps the dialog and both fields, Yes makes the strong file.
  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(Click(dialog, IDOK));
    MessageBoxWindow box;
    ASSERT_TRUE(WaitUntil([&] { return !Boxes().empty() && (box = Boxes()[0]).window; }, kWindowTimeout));
    EXPECT_EQ(box.text.rfind("此密码容易被猜中（很弱，", 0), 0u) << box.text;
    EXPECT_NE(box.text.find("）。仍要使用吗？"), std::string::npos) << box.text;
    ASSERT_TRUE(AnswerMessageBox(box, answer) && WaitUntil([&] { return !IsWindow(box.window); }, kWindowTimeout));
    if (answer == IDNO) {
      EXPECT_TRUE(IsWindowVisible(dialog));
      EXPECT_EQ(ControlText(dialog, kPasswordId) + ControlText(dialog, kRetypeId), "123456123456");
    }
  }
  ASSERT_TRUE(Acknowledge("加密成功！"));

  // A generated passphrase fills both fields and is shown once, for copying.
  ASSERT_TRUE(DoubleClickItem("B.txt") && OpenedPasswordDialog(true, &dialog));
  EXPECT_TRUE(StrongBoxChecked(dialog));
  ASSERT_TRUE(Click(dialog, kGenerateId));
  HWND shown = nullptr;
  const auto showsPassphrase = [](HWND w) { return GetDlgItem(w, kPassphraseId) != nullptr; };
  ASSERT_TRUE(WaitUntil([&] { return (shown = FirstVisible(TopLevelWindows(process_.id()), showsPassphrase)); }, kWindowTimeout));
  const std::string passphrase = ControlText(shown, kPassphraseId);
  // 8 words; four words of the list hold a hyphen of their own (t-shirt, yo-yo, ...).
  EXPECT_GE(std::count(passphrase.begin(), passphrase.end(), '-'), 7) << passphrase;
  EXPECT_LE(std::count(passphrase.begin(), passphrase.end(), '-'), 15) << passphrase;
  EXPECT_EQ(ControlText(dialog, kPasswordId) + "|" + ControlText(dialog, kRetypeId), passphrase + "|" + passphrase);
  ASSERT_TRUE(Click(shown, kCopyId));
  EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == Utf8ToWide(passphrase); }, kWindowTimeout));
  ASSERT_TRUE(ClickButton(shown, IDOK) && WaitUntil([&] { return !IsWindow(shown); }, kWindowTimeout));
  ASSERT_TRUE(ClickButton(dialog, IDCANCEL));

  // The box's state outlives the program.
  CloseBox(main_);
  ASSERT_TRUE(EndsWithin(process_, kPromptExit, "the close box"));
  ASSERT_TRUE(LaunchLockmere(process_, &main_));
  list_ = GetDlgItem(main_, kFileListId);
  ASSERT_TRUE(DoubleClickItem("Qz-e2e-worth") && DoubleClickItem("B.txt") && OpenedPasswordDialog(true, &dialog));
  EXPECT_TRUE(StrongBoxChecked(dialog));
  ASSERT_TRUE(ClickButton(dialog, IDCANCEL));
}

}  // namespace
}  // namespace qz::e2e
