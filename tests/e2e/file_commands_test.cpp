// Encrypting and decrypting through the real program, driven from outside like a user:
// a double-click into a folder, a double-click on a file and on its ".qz" copy, and the
// context menu's folder batches, each with its password dialog and closing message,
// checked against the files on disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "support/links.h"
#include "window_test.h"

namespace qz::e2e {
namespace {

// A scratch folder in the build tree's own prefix; the program shows it capitalised.
const std::string kFolder = "C:\\qz-e2e-commands";
const std::string kFolderItem = "Qz-e2e-commands";
const std::string kReport = kFolder + "\\Report.txt";
const std::string kBatch = kFolder + "\\Batch";

struct BatchFile {
  const char* name;
  size_t size;
};
// One file of exactly one engine block, one over it, and an empty one.
const BatchFile kBatchFiles[] = {{"one.txt", 1000}, {"Two.DAT", 2500}, {"empty", 0}};
// In a sub-folder of the batch folder: a batch never goes there.
const std::string kInnerFile = kBatch + "\\Inner\\keep.txt";

class FileCommandsTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    RemoveTree(kFolder);  // what an interrupted run left
    ASSERT_TRUE(CreateDirectoryA(kFolder.c_str(), nullptr)) << "cannot create " << kFolder;
    ASSERT_TRUE(CreateDirectoryA(kBatch.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((kBatch + "\\Inner").c_str(), nullptr));
    report_ = PatternBytes(48 * 1024 + 7, 1);
    ASSERT_TRUE(WriteBytes(kReport, report_));
    uint32_t seed = 2;
    for (const BatchFile& f : kBatchFiles) {
      batch_.push_back(PatternBytes(f.size, seed++));
      ASSERT_TRUE(WriteBytes(kBatch + "\\" + f.name, batch_.back()));
    }
    inner_ = PatternBytes(300, seed);
    ASSERT_TRUE(WriteBytes(kInnerFile, inner_));
    Launch();
  }

  void TearDown() override {
    LockmereWindowTest::TearDown();
    RemoveTree(kFolder);
  }

  Bytes report_;
  std::vector<Bytes> batch_;
  Bytes inner_;
};

TEST_F(FileCommandsTest, EncryptAndDecryptAFileAndAFolderThroughTheWindows) {
  const wchar_t kPassword[] = L"e2e Pass-7";

  ASSERT_TRUE(DoubleClickItem(kFolderItem));
  // The path is the folder's name on disk; the list shows it capitalised.
  const std::string path_label = "当前路径：" + kFolder + "\\";
  EXPECT_TRUE(WaitUntil([&] { return ControlText(main_, kPathLabelId) == path_label; }, kWindowTimeout))
      << "path label: " << ControlText(main_, kPathLabelId);

  // One file: the encrypted copy replaces it, and decryption gives back the same bytes.
  // The password is typed at the keyboard as soon as the dialog is there: it must land in
  // the field, not press "确定(&Y)" through its mnemonic with the fields still empty.
  ASSERT_TRUE(DoubleClickItem("Report.txt"));
  ASSERT_TRUE(WaitUntil([&] { return FindPasswordDialog() != nullptr; }, kWindowTimeout));
  ASSERT_TRUE(TypeAtKeyboard(L"my secret\tmy secret\n"));
  ASSERT_TRUE(Acknowledge("加密成功！"));
  EXPECT_FALSE(Exists(kReport)) << "the plain file is still there";
  ASSERT_TRUE(IsEncryptedCopy(kReport + ".qz", report_));

  // Only "my secret" opens it: the default password would be refused.
  ASSERT_TRUE(DoubleClickItem("Report.txt.qz"));
  ASSERT_TRUE(EnterPassword(false, L"QX31742#MVB"));
  ASSERT_TRUE(Acknowledge("密码错误，解密失败。"));
  ASSERT_TRUE(DoubleClickItem("Report.txt.qz"));
  ASSERT_TRUE(EnterPassword(false, L"my secret"));
  ASSERT_TRUE(Acknowledge("解密成功！"));
  EXPECT_FALSE(Exists(kReport + ".qz")) << "the encrypted file is still there";
  EXPECT_TRUE(HoldsExactly(kReport, report_));
  int index = -1;
  EXPECT_TRUE(WaitForItem("Report.txt", &index));

  // A folder batch asks for its own password, even right after a single file.
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 0));
  ASSERT_TRUE(EnterPassword(true, kPassword));
  ASSERT_TRUE(Acknowledge("目录加密完成！"));
  for (size_t i = 0; i < std::size(kBatchFiles); ++i) {
    const std::string plain = kBatch + "\\" + kBatchFiles[i].name;
    EXPECT_FALSE(Exists(plain)) << plain << " is still there";
    EXPECT_TRUE(IsEncryptedCopy(plain + ".qz", batch_[i]));
  }
  EXPECT_TRUE(HoldsExactly(kInnerFile, inner_)) << "a sub-folder's file was touched";

  // The next batch asks again; the same password opens every file the first batch wrote.
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 1));
  ASSERT_TRUE(EnterPassword(false, kPassword));
  ASSERT_TRUE(Acknowledge("目录解密完成！"));
  for (size_t i = 0; i < std::size(kBatchFiles); ++i) {
    const std::string plain = kBatch + "\\" + kBatchFiles[i].name;
    EXPECT_FALSE(Exists(plain + ".qz")) << plain << ".qz is still there";
    EXPECT_TRUE(HoldsExactly(plain, batch_[i]));
  }
  EXPECT_TRUE(Boxes().empty()) << "a message box is left open";
  EXPECT_TRUE(process_.Running());
}

TEST_F(FileCommandsTest, AFolderBatchTakesItsWholeTreeWhenTheBoxIsTicked) {
  const wchar_t kPassword[] = L"tree Pass-3";
  ASSERT_TRUE(DoubleClickItem(kFolderItem));
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 0));
  HWND dialog = nullptr;
  ASSERT_TRUE(OpenedPasswordDialog(true, &dialog));
  EXPECT_FALSE(StrongBoxChecked(dialog, kWholeTreeBoxId)) << "ticked at first start";
  ASSERT_TRUE(SetStrongBox(dialog, true, kWholeTreeBoxId));
  ASSERT_TRUE(TypeAndConfirm(dialog, kPassword));
  ASSERT_TRUE(Acknowledge("目录加密完成！"));
  EXPECT_TRUE(IsEncryptedCopy(kInnerFile + ".qz", inner_)) << "the sub-folder's file";

  // The box is remembered, and the tree comes back whole.
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 1));
  ASSERT_TRUE(OpenedPasswordDialog(false, &dialog));
  EXPECT_TRUE(StrongBoxChecked(dialog, kWholeTreeBoxId)) << "not remembered";
  ASSERT_TRUE(TypeAndConfirm(dialog, kPassword));
  ASSERT_TRUE(Acknowledge("目录解密完成！"));
  EXPECT_TRUE(HoldsExactly(kInnerFile, inner_));
}

// The keys a user of file tools expects: the list has the focus, Down selects its first
// item, Enter acts as a double-click, Backspace goes up, F5 lists again, and Shift+F10 and
// the Menu key open the right-click's menu.
TEST_F(FileCommandsTest, KeysActOnTheListAsTheMouseDoes) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &thread));
  EXPECT_EQ(thread.hwndFocus, list_);
  EXPECT_TRUE(WaitUntil([&] { return ItemWith(LVNI_FOCUSED) == 0 && ItemWith(LVNI_SELECTED) == -1; }, kWindowTimeout));
  ASSERT_TRUE(PressKeyAtKeyboard(VK_DOWN));
  EXPECT_TRUE(WaitUntil([&] { return ItemWith(LVNI_SELECTED) == 0; }, kWindowTimeout)) << ItemWith(LVNI_SELECTED);

  // Clicks and keys share one input queue: each key acts on the item just clicked.
  const std::string folder = kFolder + "\\";
  POINT point{};
  ASSERT_TRUE(ItemPoint(kFolderItem, &point));
  ASSERT_TRUE(LeftClickAt(point) && PressKeyAtKeyboard(VK_RETURN));
  ASSERT_TRUE(ShowsFolder(folder));
  ASSERT_TRUE(WriteBytes(kFolder + "\\added.txt", {}));
  int index = -1;
  ASSERT_TRUE(PressKeyAtKeyboard(VK_F5));
  EXPECT_TRUE(WaitForItem("Added.txt", &index));

  ASSERT_TRUE(PressKeyAtKeyboard(VK_BACK));
  ASSERT_TRUE(ShowsFolder("C:\\"));
  ASSERT_TRUE(WaitForItem(kFolderItem, &index));
  EXPECT_TRUE(WaitUntil([&] { return ItemWith(LVNI_SELECTED) == index; }, kWindowTimeout)) << ItemWith(LVNI_SELECTED);
  ASSERT_TRUE(PressKeyAtKeyboard(VK_RETURN));
  ASSERT_TRUE(ShowsFolder(folder));

  ASSERT_TRUE(ItemPoint("Report.txt", &point));
  ASSERT_TRUE(LeftClickAt(point) && PressKeyAtKeyboard(VK_RETURN));
  ASSERT_TRUE(WaitUntil([&] { return FindPasswordDialog() != nullptr; }, kWindowTimeout)) << "no password asked";
  ASSERT_TRUE(TypeAtKeyboard(L"key pass\tkey pass\n"));
  ASSERT_TRUE(Acknowledge("加密成功！"));
  EXPECT_TRUE(IsEncryptedCopy(kReport + ".qz", report_));

  ASSERT_TRUE(ItemPoint("Batch", &point));
  ASSERT_TRUE(RightClickAt(point));
  const std::optional<RECT> mouse = OpenedMenu();
  ASSERT_TRUE(mouse) << "no menu after a right click";
  ASSERT_TRUE(PressKeyAtKeyboard(VK_APPS));
  const std::optional<RECT> menu_key = OpenedMenu();
  HWND menu = nullptr;
  ASSERT_TRUE(PressKeyAtKeyboard(VK_F10, {VK_SHIFT}));
  const std::optional<RECT> shift_f10 = OpenedMenu(&menu);
  ASSERT_TRUE(menu_key && shift_f10) << "no menu after the Menu key or after Shift+F10";
  EXPECT_TRUE(EqualRect(&*menu_key, &*mouse) && EqualRect(&*shift_f10, &*mouse)) << "the menus opened apart";
  ASSERT_TRUE(ChooseFromMenu(menu, 0));
  ASSERT_TRUE(EnterPassword(true, L"menu key pw"));
  ASSERT_TRUE(Acknowledge("目录加密完成！"));
  EXPECT_TRUE(IsEncryptedCopy(kBatch + "\\one.txt.qz", batch_[0]));
}


// --- links: never followed, whatever the system shows them as ----------------------------
// Wine lists a Unix link as the plain file it leads to; the window must still know it.

const std::string kLinksFolder = "C:\\qz-e2e-links";
const std::string kTarget = kLinksFolder + "\\Target\\real.txt";

class LinksTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    RemoveTreeWithLinks(kLinksFolder);  // what an interrupted run left
    MakeDir(kLinksFolder);
    MakeDir(kLinksFolder + "\\Target");
    MakeDir(kLinksFolder + "\\Batch");
    target_ = PatternBytes(5000, 31);
    plain_ = PatternBytes(1200, 32);
    MakeFile(kTarget, target_);
    MakeFile(kLinksFolder + "\\Batch\\plain.txt", plain_);
    MakeLink(kLinksFolder, "link.txt", "Target/real.txt");
    MakeLink(kLinksFolder + "\\Batch", "batchlink.txt", "../Target/real.txt");
    ASSERT_FALSE(HasFailure());
    Launch();
  }

  void TearDown() override {
    LockmereWindowTest::TearDown();
    RemoveTreeWithLinks(kLinksFolder);
  }

  // The links still lead to the file, and it holds what it held.
  void ExpectLinksAndTargetAsTheyWere() {
    for (const std::string& link : {kLinksFolder + "\\link.txt", kLinksFolder + "\\Batch\\batchlink.txt"}) {
      EXPECT_TRUE(LeadsElsewhere(link)) << link << " is no longer a link";
      EXPECT_TRUE(HoldsExactly(link, target_));
      EXPECT_FALSE(Exists(link + ".qz"));
    }
    EXPECT_TRUE(HoldsExactly(kTarget, target_));
    EXPECT_EQ(NamesIn(kLinksFolder + "\\Target"), std::vector<std::string>{"real.txt"});
  }

  Bytes target_, plain_;
};

TEST_F(LinksTest, ADoubleClickAndABatchLeaveALinkAndItsTargetAsTheyWere) {
  ASSERT_TRUE(DoubleClickItem("Qz-e2e-links"));
  ASSERT_TRUE(ShowsFolder(kLinksFolder + "\\"));
  // No password is asked: nothing would be done with it.
  ASSERT_TRUE(DoubleClickItem("Link.txt"));
  ASSERT_TRUE(Acknowledge("“link.txt”是一个链接，请对它指向的文件操作。"));
  ExpectLinksAndTargetAsTheyWere();

  ASSERT_TRUE(ChooseFromContextMenu("Batch", 0));
  ASSERT_TRUE(EnterPassword(true, L"links pw"));
  ASSERT_TRUE(Acknowledge("目录加密完成！\n已跳过 1 个链接。"));
  EXPECT_TRUE(IsEncryptedCopy(kLinksFolder + "\\Batch\\plain.txt.qz", plain_));
  EXPECT_EQ(NamesIn(kLinksFolder + "\\Batch"), (std::vector<std::string>{"batchlink.txt", "plain.txt.qz"}));
  ExpectLinksAndTargetAsTheyWere();
  EXPECT_TRUE(Boxes().empty()) << "a message box is left open";
}

// --- names as on disk, whatever the system's code page ---------------------------------
// Run under the zh_CN, en_US and ja_JP locales (code pages 936, 1252, 932) by
// names_on_disk.py, which also crosses the files to the Linux qzcrypt and back.

const std::string kNamesFolder = "C:\\qz-e2e-names";
const std::string kFromLinux = kNamesFolder + "\\linux";

struct ShownName {
  const char* disk;
  const char* shown;
};
// In the list's order: code page 936 bytes, characters it lacks after all others.
const ShownName kShownNames[] = {
    {"big60.bin", "Big60.bin"},          {u8"emoji😀.txt", u8"Emoji😀.txt"},
    {"strase.txt", "Strase.txt"},        {u8"straße.txt", u8"Straße.txt"},
    {u8"报告.txt", u8"报告.txt"},        {u8"한국어.txt", u8"한국어.txt"},
};
const wchar_t kChinesePassword[] = L"密码";

// The same as names_on_disk.py writes.
Bytes ContentOf(const std::string& name) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += name + "\n";
  return Bytes(text.begin(), text.end());
}

std::string EnvironmentPath(const char* variable) {
  const char* value = std::getenv(variable);
  return value ? value : "";
}

class NamesOnDiskTest : public FileCommandsTest {
 protected:
  void SetUp() override {
    RemoveTree(kFromLinux);
    RemoveTree(kNamesFolder);
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(kNamesFolder).c_str(), nullptr));
    for (const ShownName& name : kShownNames) ASSERT_TRUE(WriteBytes(kNamesFolder + "\\" + name.disk, ContentOf(name.disk)));
    // Files the Linux qzcrypt encrypted, when the run brings them.
    linux_made_ = EnvironmentPath("QZ_E2E_LINUX_MADE");
    if (!linux_made_.empty()) {
      ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(kFromLinux).c_str(), nullptr));
      for (const std::string& name : NamesIn(linux_made_))
        ASSERT_TRUE(CopyFileW(Utf8ToWide(linux_made_ + "\\" + name).c_str(),
                              Utf8ToWide(kFromLinux + "\\" + name).c_str(), TRUE)) << name;
    }
    FileCommandsTest::SetUp();
  }

  void TearDown() override {
    FileCommandsTest::TearDown();
    RemoveTree(kFromLinux);
    RemoveTree(kNamesFolder);
  }

  // Double-clicks the item shown as `shown`, gives the Chinese password and checks the
  // closing message.
  void Run(const std::string& shown, bool encrypt) {
    SCOPED_TRACE(shown);
    ASSERT_TRUE(DoubleClickItem(shown));
    ASSERT_TRUE(EnterPassword(encrypt, kChinesePassword));
    ASSERT_TRUE(Acknowledge(encrypt ? "加密成功！" : "解密成功！"));
  }

  std::string linux_made_;
};

TEST_F(NamesOnDiskTest, EachFileIsListedAndWorkedOnUnderItsOwnName) {
  ASSERT_TRUE(DoubleClickItem("Qz-e2e-names"));
  ASSERT_TRUE(ShowsFolder(kNamesFolder + "\\"));
  std::vector<std::string> expected, plain, encrypted;
  if (!linux_made_.empty()) expected.push_back("Linux");
  for (const ShownName& name : kShownNames) {
    expected.push_back(name.shown);
    plain.push_back(name.disk);
    encrypted.push_back(std::string(name.disk) + ".qz");
  }
  if (!linux_made_.empty()) plain.push_back("linux"), encrypted.push_back("linux");
  std::sort(plain.begin(), plain.end());
  std::sort(encrypted.begin(), encrypted.end());
  auto items = ReadListViewItems(list_);
  ASSERT_TRUE(items);
  std::vector<std::string> shown;
  for (const ListItem& item : *items) shown.push_back(item.text);
  EXPECT_EQ(shown, expected);

  // Each double-click acts on exactly its file, straße.txt beside strase.txt included,
  // and the name comes back as it was on disk.
  for (const ShownName& name : kShownNames) {
    std::vector<std::string> now = NamesIn(kNamesFolder);
    Run(name.shown, true);
    std::replace(now.begin(), now.end(), std::string(name.disk), std::string(name.disk) + ".qz");
    std::sort(now.begin(), now.end());
    EXPECT_EQ(NamesIn(kNamesFolder), now);
    EXPECT_TRUE(IsEncryptedCopy(kNamesFolder + "\\" + name.disk + ".qz", ContentOf(name.disk)));
  }
  EXPECT_EQ(NamesIn(kNamesFolder), encrypted);
  for (const ShownName& name : kShownNames) Run(std::string(name.shown) + ".qz", false);
  EXPECT_EQ(NamesIn(kNamesFolder), plain);
  for (const ShownName& name : kShownNames)
    EXPECT_TRUE(HoldsExactly(kNamesFolder + "\\" + name.disk, ContentOf(name.disk)));

  // The Linux qzcrypt's files open here, and this window's open there (checked by the
  // script that started this run).
  const std::string window_made = EnvironmentPath("QZ_E2E_WINDOW_MADE");
  if (linux_made_.empty() || window_made.empty()) return;
  for (const ShownName& name : kShownNames) {
    Run(name.shown, true);
    const std::string qz = std::string(name.disk) + ".qz";
    SetFileAttributesW(Utf8ToWide(kNamesFolder + "\\" + qz).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(CopyFileW(Utf8ToWide(kNamesFolder + "\\" + qz).c_str(), Utf8ToWide(window_made + "\\" + qz).c_str(),
                          FALSE)) << qz;
  }
  ASSERT_TRUE(DoubleClickItem("Linux"));
  ASSERT_TRUE(ShowsFolder(kFromLinux + "\\"));
  for (const ShownName& name : kShownNames) Run(std::string(name.shown) + ".qz", false);
  plain.erase(std::find(plain.begin(), plain.end(), "linux"));
  EXPECT_EQ(NamesIn(kFromLinux), plain);
  for (const ShownName& name : kShownNames)
    EXPECT_TRUE(HoldsExactly(kFromLinux + "\\" + name.disk, ContentOf(name.disk)));
}

}  // namespace
}  // namespace qz::e2e
