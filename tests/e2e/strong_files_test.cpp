// Strong (".age") files through the real program, driven like a user: the encryption
// dialog's check box, a double-click on a file and on its ".age" file, folder batches over
// both kinds of encrypted file, the upgrade of ".qz" files, and files that are refused. The
// crossing case runs from strong_files_age.py, which has Debian's age open the window's
// file and make one for the window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kFolder = "C:\\qz-e2e-strong";
const std::string kFolderItem = "Qz-e2e-strong";
const char kEmptyStrong[] = "强加密需要输入密码。";
// Neither code page 936 nor any other ANSI code page holds all of it: only its UTF-8 form
// can be the password.
const wchar_t kWidePassword[] = L"Stra\u00DFe \U0001F600 \u5BC6\u7801";
// Code page 936 holds it, in other bytes than UTF-8: a ".qz" file and an ".age" file of
// this password open only if each gets its own form.
const wchar_t kChinesePassword[] = L"\u5BC6\u7801 pw";

std::string In(const std::string& name) { return kFolder + "\\" + name; }

// Written by this program as age v1 with one scrypt stanza at work factor 18, hidden and
// read-only like a ".qz" file, and not holding the plain bytes.
::testing::AssertionResult IsStrongCopy(const std::string& path, const Bytes& plain) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ::testing::AssertionFailure() << path << " is missing";
  const DWORD mark = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
  if ((attributes & mark) != mark)
    return ::testing::AssertionFailure() << path << " is not hidden and read-only (attributes " << attributes << ")";
  bool read = false;
  const Bytes bytes = ReadBytes(path, &read);
  const std::string text(bytes.begin(), bytes.end());
  const std::string intro = "age-encryption.org/v1\n-> scrypt ";
  const size_t stanza_end = text.find('\n', intro.size());
  if (!read || text.compare(0, intro.size(), intro) != 0 || stanza_end == std::string::npos)
    return ::testing::AssertionFailure() << path << " does not start as an age file with a scrypt stanza";
  if (text.compare(stanza_end - 3, 3, " 18") != 0)
    return ::testing::AssertionFailure() << path << ": stanza \"" << text.substr(intro.size(), stanza_end - intro.size())
                                         << "\" does not ask for work factor 18";
  // Header, nonce, and a 16-byte tag for each chunk of 64 KiB.
  if (bytes.size() < plain.size() + 16 + 16 * (plain.size() / 65536 + 1))
    return ::testing::AssertionFailure() << path << " holds only " << bytes.size() << " bytes";
  if (plain.size() >= 16 && text.find(std::string(plain.begin(), plain.end())) != std::string::npos)
    return ::testing::AssertionFailure() << path << " holds the plain bytes";
  return ::testing::AssertionSuccess();
}

class StrongFilesTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    RemoveTree(kFolder);  // what an interrupted run left
    MakeDir(kFolder);
    MakeDir(In("Batch"));
    MakeDir(In("Old"));
    for (const auto& [name, size] : std::vector<std::pair<std::string, size_t>>{
             {"report.txt", 70000}, {"notes.txt", 100}, {"legacy.txt", 300}, {"other.txt", 400},
             {"Batch\\a.txt", 1000}, {"Batch\\B.DAT", 66000}, {"Batch\\empty", 0}, {"Old\\x.txt", 500},
             {"Old\\y.txt", 600}, {"w.txt", 700}}) {
      plain_[name] = PatternBytes(size, static_cast<uint32_t>(plain_.size() + 1));
      MakeFile(In(name), plain_[name]);
    }
    Launch();
    ASSERT_TRUE(DoubleClickItem(kFolderItem));
    ASSERT_TRUE(ShowsFolder(kFolder + "\\"));
  }

  void TearDown() override {
    LockmereWindowTest::TearDown();
    RemoveTree(kFolder);
  }

  // A double-click on a plain file, the password given with the check box as wanted.
  ::testing::AssertionResult Encrypt(const std::string& item, const std::wstring& password, bool strong) {
    auto clicked = DoubleClickItem(item);
    if (!clicked) return clicked;
    auto entered = EnterPassword(true, password, strong ? StrongBox::kChecked : StrongBox::kUnchecked);
    if (!entered) return entered;
    return Acknowledge("加密成功！");
  }

  // Lists the folder again with F5, after a click that gives the list the keyboard.
  ::testing::AssertionResult ListAgain(const std::string& shown, const std::string& expected) {
    POINT point{};
    auto found = ItemPoint(shown, &point);
    if (!found) return found;
    if (!LeftClickAt(point) || !PressKeyAtKeyboard(VK_F5)) return ::testing::AssertionFailure() << "no F5";
    int index = -1;
    return WaitForItem(expected, &index);
  }

  std::map<std::string, Bytes> plain_;
};

TEST_F(StrongFilesTest, TheCheckBoxMakesAgeFilesThatOnlyTheirPasswordOpens) {
  const std::string report = In("report.txt"), age = report + ".age";
  // Checked with both fields empty: there is no default password for strong files, and the
  // dialog stays for one to be typed.
  HWND dialog = nullptr;
  ASSERT_TRUE(DoubleClickItem("Report.txt"));
  ASSERT_TRUE(OpenedPasswordDialog(true, &dialog));
  EXPECT_FALSE(StrongBoxChecked(dialog)) << "the check box starts checked";
  ASSERT_TRUE(SetStrongBox(dialog, true));
  ASSERT_TRUE(ClickButton(dialog, IDOK));
  ASSERT_TRUE(Acknowledge(kEmptyStrong));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(dialog) == GetDlgItem(dialog, kPasswordId); }, kWindowTimeout))
      << "the caret is not back in the first field";
  ASSERT_TRUE(TypeAndConfirm(dialog, kWidePassword));
  ASSERT_TRUE(Acknowledge("加密成功！"));
  EXPECT_FALSE(Exists(report)) << "the plain file is still there";
  ASSERT_TRUE(IsStrongCopy(age, plain_["report.txt"]));
  const Bytes sealed = ReadBytes(age);

  // The next dialog opens as the last one was left, checked or not, Cancel included.
  for (bool checked : {true, false}) {
    ASSERT_TRUE(DoubleClickItem("Notes.txt"));
    ASSERT_TRUE(OpenedPasswordDialog(true, &dialog));
    EXPECT_EQ(StrongBoxChecked(dialog), checked);
    ASSERT_TRUE(SetStrongBox(dialog, !checked));
    ASSERT_TRUE(ClickButton(dialog, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kWindowTimeout));
  }
  EXPECT_TRUE(HoldsExactly(In("notes.txt"), plain_["notes.txt"]));

  // One changed byte in the last chunk: refused, and no output or temporary file is left.
  // A file asking for more work than readers allow is refused with the work factor it
  // names, before any memory is taken for it.
  Bytes damaged = sealed;
  damaged[damaged.size() - 20] ^= 0x01;
  ASSERT_TRUE(WriteBytes(In("damaged.txt.age"), damaged));
  const std::string costly =
      "age-encryption.org/v1\n-> scrypt AAAAAAAAAAAAAAAAAAAAAA 23\n"
      "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n--- AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n";
  ASSERT_TRUE(WriteBytes(In("costly.txt.age"), Bytes(costly.begin(), costly.end())));
  ASSERT_TRUE(ListAgain("Report.txt.age", "Damaged.txt.age"));
  const std::vector<std::string> names = NamesIn(kFolder);
  ASSERT_TRUE(DoubleClickItem("Damaged.txt.age"));
  ASSERT_TRUE(EnterPassword(false, kWidePassword));
  ASSERT_TRUE(Acknowledge("文件已损坏或被改动，解密失败。"));
  ASSERT_TRUE(DoubleClickItem("Costly.txt.age"));
  ASSERT_TRUE(EnterPassword(false, kWidePassword));
  ASSERT_TRUE(Acknowledge("此文件的密码强度参数过高（23），无法解密。"));
  EXPECT_EQ(NamesIn(kFolder), names);
  EXPECT_TRUE(HoldsExactly(In("damaged.txt.age"), damaged));

  // A wrong password keeps the file; an empty field is refused in the dialog; the right
  // password gives back the same bytes.
  ASSERT_TRUE(DoubleClickItem("Report.txt.age"));
  ASSERT_TRUE(EnterPassword(false, L"Strasse \U0001F600 \u5BC6\u7801"));
  ASSERT_TRUE(Acknowledge("密码错误，解密失败。"));
  EXPECT_EQ(NamesIn(kFolder), names);
  EXPECT_TRUE(HoldsExactly(age, sealed));
  ASSERT_TRUE(DoubleClickItem("Report.txt.age"));
  ASSERT_TRUE(OpenedPasswordDialog(false, &dialog));
  ASSERT_TRUE(ClickButton(dialog, IDOK));
  ASSERT_TRUE(Acknowledge(kEmptyStrong));
  EXPECT_TRUE(IsWindowVisible(dialog));
  ASSERT_TRUE(TypeAndConfirm(dialog, kWidePassword));
  ASSERT_TRUE(Acknowledge("解密成功！"));
  EXPECT_FALSE(Exists(age)) << "the strong file is still there";
  EXPECT_TRUE(HoldsExactly(report, plain_["report.txt"]));
  EXPECT_EQ(Attributes(report) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY), 0u);
}

TEST_F(StrongFilesTest, FolderBatchesMakeAgeFilesAndOpenBothKindsWithOnePassword) {
  const std::vector<std::string> files = {"a.txt", "B.DAT", "empty"};
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 0));
  ASSERT_TRUE(EnterPassword(true, kChinesePassword, StrongBox::kChecked));
  ASSERT_TRUE(Acknowledge("目录加密完成！"));
  for (const std::string& name : files) {
    EXPECT_FALSE(Exists(In("Batch\\" + name))) << name << " is still there";
    EXPECT_TRUE(IsStrongCopy(In("Batch\\" + name + ".age"), plain_["Batch\\" + name]));
  }

  // ".qz" files beside them: one of the same password, one of another.
  ASSERT_TRUE(Encrypt("Legacy.txt", kChinesePassword, false));
  ASSERT_TRUE(Encrypt("Other.txt", L"another", false));
  for (const char* name : {"legacy.txt.qz", "other.txt.qz"})
    ASSERT_TRUE(MoveFileW(Utf8ToWide(In(name)).c_str(), Utf8ToWide(In(std::string("Batch\\") + name)).c_str()));

  // The ".qz" file gets the code page 936 form, the ".age" files the UTF-8 form.
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 1));
  ASSERT_TRUE(EnterPassword(false, kChinesePassword));
  ASSERT_TRUE(Acknowledge("有 1 个文件未能用此密码解密，已保留原样。"));
  ASSERT_TRUE(Acknowledge("目录解密完成！"));
  for (const std::string& name : files) EXPECT_TRUE(HoldsExactly(In("Batch\\" + name), plain_["Batch\\" + name]));
  EXPECT_TRUE(HoldsExactly(In("Batch\\legacy.txt"), plain_["legacy.txt"]));
  EXPECT_EQ(NamesIn(In("Batch")),
            (std::vector<std::string>{"B.DAT", "a.txt", "empty", "legacy.txt", "other.txt.qz"}));
}

TEST_F(StrongFilesTest, UpgradesTurnQzFilesIntoAgeFilesOfTheSamePassword) {
  ASSERT_TRUE(Encrypt("Report.txt", kChinesePassword, false));
  MenuPlacement file_menu, folder_menu;
  ASSERT_TRUE(ChooseFromContextMenu("Report.txt.qz", 1, &file_menu));
  ASSERT_TRUE(EnterPassword(false, kChinesePassword));
  ASSERT_TRUE(Acknowledge("升级成功！"));
  EXPECT_FALSE(Exists(In("report.txt.qz"))) << "the .qz file is still there";
  EXPECT_TRUE(IsStrongCopy(In("report.txt.age"), plain_["report.txt"]));

  // A folder: one ".qz" file of another password stays, as does one whose ".age" name is
  // taken when the user does not let it be replaced.
  ASSERT_TRUE(ChooseFromContextMenu("Old", 0));
  ASSERT_TRUE(EnterPassword(true, kChinesePassword, StrongBox::kUnchecked));
  ASSERT_TRUE(Acknowledge("目录加密完成！"));
  ASSERT_TRUE(Encrypt("W.txt", L"another", false));
  ASSERT_TRUE(MoveFileW(Utf8ToWide(In("w.txt.qz")).c_str(), Utf8ToWide(In("Old\\w.txt.qz")).c_str()));
  const Bytes taken = PatternBytes(50, 99), x_qz = ReadBytes(In("Old\\x.txt.qz"));
  MakeFile(In("Old\\x.txt.age"), taken);
  ASSERT_TRUE(ChooseFromContextMenu("Old", 2, &folder_menu));
  ASSERT_TRUE(EnterPassword(false, kChinesePassword));
  ASSERT_TRUE(Acknowledge("“x.txt.age”已存在，是否替换？", IDNO));
  ASSERT_TRUE(Acknowledge("有 1 个文件未能用此密码解密，已保留原样。"));
  ASSERT_TRUE(Acknowledge("目录升级完成！"));
  EXPECT_EQ(NamesIn(In("Old")), (std::vector<std::string>{"w.txt.qz", "x.txt.age", "x.txt.qz", "y.txt.age"}));
  EXPECT_TRUE(HoldsExactly(In("Old\\x.txt.age"), taken));
  EXPECT_TRUE(HoldsExactly(In("Old\\x.txt.qz"), x_qz));
  EXPECT_TRUE(IsStrongCopy(In("Old\\y.txt.age"), plain_["Old\\y.txt"]));

  // The three rows open where the one and two rows did: below and right of the item.
  EXPECT_EQ(folder_menu.menu.left - folder_menu.label.right, file_menu.menu.left - file_menu.label.right);
  EXPECT_EQ(folder_menu.menu.top - folder_menu.label.bottom, file_menu.menu.top - file_menu.label.bottom);
  EXPECT_GE(folder_menu.menu.bottom - folder_menu.menu.top, 3 * kMenuRowHeight);

  // The upgraded file opens with the password's UTF-8 form, as typed for the ".qz" file.
  ASSERT_TRUE(DoubleClickItem("Report.txt.age"));
  ASSERT_TRUE(EnterPassword(false, kChinesePassword));
  ASSERT_TRUE(Acknowledge("解密成功！"));
  EXPECT_TRUE(HoldsExactly(In("report.txt"), plain_["report.txt"]));
}

// --- crossing to Debian's age ----------------------------------------------------------
// Run by strong_files_age.py, which made from-age.txt.age with `age -p` and, after this
// case, opens to-age.txt.age with `age -d`.

const std::string kCrossFolder = "C:\\qz-e2e-age";

// The wide environment: the password holds characters no ANSI code page has.
std::wstring CrossingPassword() {
  const wchar_t* value = _wgetenv(L"QZ_E2E_AGE_PASSWORD");
  return value ? value : L"";
}

class AgeCrossingTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    ASSERT_FALSE(CrossingPassword().empty()) << "run by strong_files_age.py";
    Launch();
  }
};

TEST_F(AgeCrossingTest, AgeFilesOpenHereAndFilesMadeHereOpenWithAge) {
  const std::wstring password = CrossingPassword();
  const Bytes from_age = ReadBytes(kCrossFolder + "\\from-age.expected");
  const Bytes to_age = ReadBytes(kCrossFolder + "\\to-age.txt");
  ASSERT_FALSE(from_age.empty() || to_age.empty());
  ASSERT_TRUE(DoubleClickItem("Qz-e2e-age"));
  ASSERT_TRUE(DoubleClickItem("From-age.txt.age"));
  ASSERT_TRUE(EnterPassword(false, password));
  ASSERT_TRUE(Acknowledge("解密成功！"));
  EXPECT_TRUE(HoldsExactly(kCrossFolder + "\\from-age.txt", from_age));
  ASSERT_TRUE(DoubleClickItem("To-age.txt"));
  ASSERT_TRUE(EnterPassword(true, password, StrongBox::kChecked));
  ASSERT_TRUE(Acknowledge("加密成功！"));
  EXPECT_TRUE(IsStrongCopy(kCrossFolder + "\\to-age.txt.age", to_age));
}

}  // namespace
}  // namespace qz::e2e
