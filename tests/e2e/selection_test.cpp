// Several files at once through the real program: a selection made with Ctrl and Shift
// clicks and with Ctrl+A, worked on by Enter and by the context menu as one batch; and
// the program started with paths, as "Send To" and a drop on its icon start it.
#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kFolder = "C:\\qz-e2e-selection";
const std::string kInner = kFolder + "\\Sub\\inner.txt";
const char* const kNames[] = {"a.txt", "b.txt", "c.txt", "d.txt"};

class SelectionTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    RemoveTree(kFolder);  // what an interrupted run left
    MakeDir(kFolder);
    MakeDir(kFolder + "\\Sub");
    for (size_t i = 0; i < std::size(kNames); ++i) {
      files_[i] = PatternBytes(900 + 700 * i, 70 + static_cast<uint32_t>(i));
      MakeFile(File(i), files_[i]);
    }
    inner_ = PatternBytes(300, 79);
    MakeFile(kInner, inner_);
    ASSERT_FALSE(HasFailure());
  }

  void TearDown() override {
    // After a failure a prompt may still be open, and the close box would wait on it.
    if (HasFailure()) process_.Kill();
    LockmereWindowTest::TearDown();
    RemoveTree(kFolder);
  }

  static std::string File(size_t i) { return kFolder + "\\" + kNames[i]; }

  bool Click(const std::string& item, std::initializer_list<WORD> modifiers = {}) {
    POINT point{};
    return ItemPoint(item, &point) && LeftClickAt(point, modifiers);
  }

  // The texts of the selected items, in list order.
  std::vector<std::string> Selected() {
    std::vector<std::string> texts;
    auto items = ReadListViewItems(list_);
    for (size_t i = 0; items && i < items->size(); ++i) {
      DWORD_PTR state = 0;
      SendMessageTimeoutW(list_, LVM_GETITEMSTATE, i, LVIS_SELECTED, SMTO_ABORTIFHUNG, 5000, &state);
      if (state & LVIS_SELECTED) texts.push_back((*items)[i].text);
    }
    return texts;
  }

  void ExpectSelected(const std::vector<std::string>& expected) {
    WaitUntil([&] { return Selected() == expected; }, kWindowTimeout);
    EXPECT_EQ(Selected(), expected);
  }

  // Ends the running program through its close box, so the next case can start another.
  void Close() {
    if (HasFailure()) process_.Kill();
    CloseBox(main_);
    EXPECT_TRUE(EndsWithin(process_, kPromptExit, "the close box"));
  }

  void LaunchWith(const std::wstring& arguments, const std::wstring& directory) {
    ASSERT_TRUE(LaunchLockmere(process_, &main_, arguments, directory));
    list_ = GetDlgItem(main_, kFileListId);
  }

  Bytes files_[std::size(kNames)];
  Bytes inner_;
};

TEST_F(SelectionTest, SelectedFilesAreOneBatchWithOnePromptAndOneMessage) {
  Launch();
  ASSERT_TRUE(DoubleClickItem("Qz-e2e-selection"));
  ASSERT_TRUE(ShowsFolder(kFolder + "\\"));

  // A to C with Shift, B out again and D in with Ctrl: three files, one left between.
  ASSERT_TRUE(Click("A.txt"));
  ASSERT_TRUE(Click("C.txt", {VK_SHIFT}));
  ExpectSelected({"A.txt", "B.txt", "C.txt"});
  ASSERT_TRUE(Click("B.txt", {VK_CONTROL}));
  ASSERT_TRUE(Click("D.txt", {VK_CONTROL}));
  ExpectSelected({"A.txt", "C.txt", "D.txt"});
  ASSERT_TRUE(PressKeyAtKeyboard(VK_F5));  // lists again, keeping all three
  ExpectSelected({"A.txt", "C.txt", "D.txt"});
  // A second password prompt would stand in the closing message's way.
  ASSERT_TRUE(PressKeyAtKeyboard(VK_RETURN));
  ASSERT_TRUE(EnterPassword(true, L"three at once"));
  ASSERT_TRUE(Acknowledge("文件加密完成！"));
  EXPECT_TRUE(Boxes().empty() && !FindPasswordDialog()) << "more than one prompt or message";
  for (size_t i : {0, 2, 3}) {
    EXPECT_FALSE(Exists(File(i))) << File(i) << " is still there";
    EXPECT_TRUE(IsEncryptedCopy(File(i) + ".qz", files_[i]));
  }
  EXPECT_TRUE(HoldsExactly(File(1), files_[1])) << "the file left out of the selection was touched";
  ExpectSelected({});  // the listing after a batch starts with none

  // Ctrl+A and the menu on a selected item: a mixed selection is a drop of the same
  // files. The plain file asks for an encryption password, whose box leaves the folder
  // (counted and left alone), and the three ".qz" files for their one decryption password.
  int index = -1;
  ASSERT_TRUE(WaitForItem("A.txt.qz", &index));
  ASSERT_TRUE(PressKeyAtKeyboard('A', {VK_CONTROL}));
  ExpectSelected({"Sub", "A.txt.qz", "B.txt", "C.txt.qz", "D.txt.qz"});
  ASSERT_TRUE(ChooseFromContextMenu("B.txt", 0));
  ASSERT_TRUE(EnterPassword(true, L"the fourth"));
  ASSERT_TRUE(Acknowledge("多选时只处理文件，1 个目录未作处理。"));
  ASSERT_TRUE(EnterPassword(false, L"three at once"));
  ASSERT_TRUE(Acknowledge("文件加密和解密完成！"));
  EXPECT_TRUE(Boxes().empty() && !FindPasswordDialog()) << "another prompt or message";
  for (size_t i : {0, 2, 3}) {
    EXPECT_FALSE(Exists(File(i) + ".qz")) << File(i) << ".qz is still there";
    EXPECT_TRUE(HoldsExactly(File(i), files_[i]));
  }
  EXPECT_TRUE(IsEncryptedCopy(File(1) + ".qz", files_[1]));
  EXPECT_TRUE(HoldsExactly(kInner, inner_)) << "the selected folder's file was touched";
  EXPECT_EQ(NamesIn(kFolder + "\\Sub"), std::vector<std::string>{"inner.txt"});

  // With the box ticked the folder's tree joins the batch.
  ASSERT_TRUE(Click("A.txt"));
  ASSERT_TRUE(Click("Sub", {VK_CONTROL}));
  ExpectSelected({"Sub", "A.txt"});
  ASSERT_TRUE(ChooseFromContextMenu("A.txt", 0));
  HWND dialog = nullptr;
  ASSERT_TRUE(OpenedPasswordDialog(true, &dialog));
  ASSERT_TRUE(SetStrongBox(dialog, true, kWholeTreeBoxId));
  ASSERT_TRUE(TypeAndConfirm(dialog, L"tree too"));
  ASSERT_TRUE(Acknowledge("文件加密完成！"));
  EXPECT_TRUE(IsEncryptedCopy(kInner + ".qz", inner_));
  EXPECT_TRUE(IsEncryptedCopy(File(0) + ".qz", files_[0]));
}

TEST_F(SelectionTest, StartedWithAFolderItIsListedAndWithFilesTheyAreOneBatch) {
  // A relative path with a space and Chinese characters, quoted as "Send To" passes it.
  const std::string named = kFolder + "\\新 文件夹";
  MakeDir(named);
  const Bytes report = PatternBytes(5000, 90);
  MakeFile(named + "\\报告 一.txt", report);
  LaunchWith(L"\"" + Utf8ToWide("新 文件夹") + L"\"", Utf8ToWide(kFolder));
  ASSERT_TRUE(ShowsFolder(named + "\\"));
  int index = -1;
  EXPECT_TRUE(WaitForItem("报告 一.txt", &index));
  Close();

  // Two files, one relative, one full: one prompt, both encrypted, their folder listed.
  LaunchWith(L"a.txt \"" + Utf8ToWide(named + "\\报告 一.txt") + L"\"", Utf8ToWide(kFolder));
  ASSERT_TRUE(EnterPassword(true, L"sent to"));
  ASSERT_TRUE(Acknowledge("文件加密完成！"));
  EXPECT_TRUE(IsEncryptedCopy(File(0) + ".qz", files_[0]));
  EXPECT_TRUE(IsEncryptedCopy(named + "\\报告 一.txt.qz", report));
  EXPECT_FALSE(Exists(File(0)) || Exists(named + "\\报告 一.txt")) << "a plain file is still there";
  EXPECT_TRUE(ShowsFolder(kFolder + "\\"));
  Close();

  // A path that is not there is named, nothing is done, and the window stays.
  LaunchWith(L"b.txt missing.txt", Utf8ToWide(kFolder));
  ASSERT_TRUE(Acknowledge("找不到“" + kFolder + "\\missing.txt”。"));
  EXPECT_TRUE(ShowsFolder("C:\\"));
  EXPECT_TRUE(HoldsExactly(File(1), files_[1]));
  EXPECT_TRUE(process_.Running() && IsWindowVisible(main_));
}

}  // namespace
}  // namespace qz::e2e
