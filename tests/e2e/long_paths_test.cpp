// A folder whose path is 400 characters long, far beyond MAX_PATH: the real program lists
// it, encrypts and decrypts a file in it by double-click, and runs folder batches in it,
// checked against the files on disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kRoot = "C:\\qz-e2e-long";
const std::string kRootItem = "Qz-e2e-long";
// Ten nested folders of 40 characters and more: kRoot and them make 425 characters.
constexpr int kLevels = 10;
std::string LevelName(int level) { return "level-" + std::to_string(level) + "-" + std::string(32, 'n'); }
std::string LevelItem(int level) { return "L" + LevelName(level).substr(1); }
std::string DeepFolder() {
  std::string folder = kRoot;
  for (int level = 1; level <= kLevels; ++level) folder += "\\" + LevelName(level);
  return folder + "\\";
}

class LongPathsTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    RemoveTree(kRoot);  // what an interrupted run left
    MakeDir(kRoot);
    std::string folder = kRoot;
    for (int level = 1; level <= kLevels; ++level) MakeDir(folder += "\\" + LevelName(level));
    MakeDir(deep_ + "batch");
    report_ = PatternBytes(70 * 1024 + 3, 41);
    MakeFile(deep_ + "report.txt", report_);
    for (const char* name : {"a.txt", "b.dat"}) {
      batch_.push_back(PatternBytes(3000 + batch_.size(), 42 + static_cast<uint32_t>(batch_.size())));
      MakeFile(deep_ + "batch\\" + name, batch_.back());
    }
    ASSERT_FALSE(HasFailure());
    Launch();
  }

  void TearDown() override {
    // A refusal leaves its message box open, and the window would not close over it.
    for (const MessageBoxWindow& box : Boxes()) PostMessageW(box.window, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return Boxes().empty(); }, kWindowTimeout);
    LockmereWindowTest::TearDown();
    RemoveTree(kRoot);
  }

  const std::string deep_ = DeepFolder();
  Bytes report_;
  std::vector<Bytes> batch_;
};

TEST_F(LongPathsTest, AFolderOf400CharactersIsListedAndWorkedOn) {
  ASSERT_GE(deep_.size(), 400u);
  ASSERT_TRUE(DoubleClickItem(kRootItem));
  for (int level = 1; level <= kLevels; ++level) ASSERT_TRUE(DoubleClickItem(LevelItem(level)));
  // Too long for its label, the path shows its first folder and the folder listed.
  const std::string label = "当前路径：" + kRoot + "\\...\\" + LevelName(kLevels) + "\\";
  ASSERT_TRUE(WaitUntil([&] { return ControlText(main_, kPathLabelId) == label; }, kWindowTimeout))
      << ControlText(main_, kPathLabelId);
  int index = -1;
  ASSERT_TRUE(WaitForItem("Batch", &index));
  ASSERT_TRUE(WaitForItem("Report.txt", &index));

  ASSERT_TRUE(DoubleClickItem("Report.txt"));
  ASSERT_TRUE(EnterPassword(true, L"long pw", StrongBox::kUnchecked));
  ASSERT_TRUE(Acknowledge("加密成功！"));
  EXPECT_FALSE(Exists(deep_ + "report.txt"));
  EXPECT_TRUE(IsEncryptedCopy(deep_ + "report.txt.qz", report_));
  ASSERT_TRUE(DoubleClickItem("Report.txt.qz"));
  ASSERT_TRUE(EnterPassword(false, L"long pw"));
  ASSERT_TRUE(Acknowledge("解密成功！"));
  EXPECT_TRUE(HoldsExactly(deep_ + "report.txt", report_));
  EXPECT_EQ(NamesIn(deep_), (std::vector<std::string>{"batch", "report.txt"}));

  // A batch encrypts the folder's files, and another upgrades them to strong files.
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 0));
  ASSERT_TRUE(EnterPassword(true, L"batch pw"));
  ASSERT_TRUE(Acknowledge("目录加密完成！"));
  EXPECT_TRUE(IsEncryptedCopy(deep_ + "batch\\a.txt.qz", batch_[0]));
  EXPECT_TRUE(IsEncryptedCopy(deep_ + "batch\\b.dat.qz", batch_[1]));
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 2));
  ASSERT_TRUE(EnterPassword(false, L"batch pw"));
  ASSERT_TRUE(Acknowledge("目录升级完成！"));
  EXPECT_EQ(NamesIn(deep_ + "batch"), (std::vector<std::string>{"a.txt.age", "b.dat.age"}));
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 1));
  ASSERT_TRUE(EnterPassword(false, L"batch pw"));
  ASSERT_TRUE(Acknowledge("目录解密完成！"));
  EXPECT_EQ(NamesIn(deep_ + "batch"), (std::vector<std::string>{"a.txt", "b.dat"}));
  EXPECT_TRUE(HoldsExactly(deep_ + "batch\\a.txt", batch_[0]));
  EXPECT_TRUE(HoldsExactly(deep_ + "batch\\b.dat", batch_[1]));
  EXPECT_TRUE(Boxes().empty()) << "a message box is left open";
}

}  // namespace
}  // namespace qz::e2e
