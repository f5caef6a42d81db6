// Start-up: the drive selector, the path label and the first listing of C:\, read from
// the running program and compared with what the file system says.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <utility>

#include "expected_listing.h"
#include "harness/input.h"
#include "harness/remote_controls.h"
#include "harness/shared.h"
#include "harness/window_find.h"
#include "lockmere_launch.h"

namespace qz::e2e {
namespace {

constexpr int kFileListId = 1000;
constexpr int kPathLabelId = 1002;
constexpr int kFileTypeSelectorId = 1003;
constexpr int kDriveSelectorId = 1004;

// Entries placed into C:\ (a scratch folder of the build tree's own Wine prefix). Their
// names share "qz-e2e" so that they cannot be taken for anything else there.
struct Fixture {
  const char* name;
  bool folder;
  DWORD attributes;  // applied after creation; 0 for none
};
const Fixture kFixtures[] = {
    {"qz-e2e beta", true, 0},
    {"QZ-E2E ALPHA", true, 0},
    {"Qz-e2e Gamma", true, 0},
    {".qz-e2e dotfolder", true, 0},
    {"qz-e2e hidden folder", true, FILE_ATTRIBUTE_HIDDEN},
    {"qz-e2e my FILE.TXT", false, 0},
    {"qz-e2e report.qz", false, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY},
    {"qz-e2e summary.QZ", false, 0},
    {".qz-e2e dotfile", false, 0},
    {"qz-e2e x (y).dat", false, 0},
    {"qz-e2e system.sys", false, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
    // Two characters whose code page 936 trail bytes are 'A' and 'B'.
    {u8"癆癇 qz-e2e.TXT", false, 0},
};

std::string RootPath(const char* name) { return std::string("C:\\") + name; }

void RemoveFixtures() {
  for (const Fixture& f : kFixtures) {
    const std::string path = RootPath(f.name);
    SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (f.folder)
      RemoveDirectoryW(Utf8ToWide(path).c_str());
    else
      DeleteFileW(Utf8ToWide(path).c_str());
  }
}

std::string Show(const std::string& text) { return "\"" + text + "\""; }

// Creates the entries in C:\ afresh.
::testing::AssertionResult CreateFixtures() {
  RemoveFixtures();  // what an interrupted run left
  for (const Fixture& f : kFixtures) {
    const std::string path = RootPath(f.name);
    bool made;
    if (f.folder) {
      made = CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr);
    } else {
      HANDLE h = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      made = h != INVALID_HANDLE_VALUE;
      if (made) CloseHandle(h);
    }
    if (made && f.attributes) made = SetFileAttributesW(Utf8ToWide(path).c_str(), f.attributes);
    if (!made) {
      const DWORD error = GetLastError();
      return ::testing::AssertionFailure() << "cannot create " << Show(path) << ", error " << error;
    }
  }
  return ::testing::AssertionSuccess();
}

class StartupTest : public ::testing::Test {
 protected:
  // One start serves every test here: start-up changes nothing, and each Wine start and
  // exit costs seconds.
  static void SetUpTestSuite() {
    process_ = new ProgramProcess;
    launched_ = new ::testing::AssertionResult(CreateFixtures());
    if (*launched_) *launched_ = LaunchLockmere(*process_, &main_);
  }
  static void TearDownTestSuite() {
    if (process_->Running()) {
      PressEscape(main_);
      EXPECT_TRUE(EndsWithin(*process_, kPromptExit, "Esc at the end of the start-up tests"));
    }
    delete process_;
    delete launched_;
    RemoveFixtures();
  }

  void SetUp() override {
    ASSERT_TRUE(*launched_);
    ASSERT_TRUE(process_->Running()) << "the program ended by itself";
  }

  std::vector<ListItem> Listing() {
    auto items = ReadListViewItems(GetDlgItem(main_, kFileListId));
    EXPECT_TRUE(items.has_value()) << "the file list could not be read";
    return items.value_or(std::vector<ListItem>{});
  }

  static ProgramProcess* process_;
  static ::testing::AssertionResult* launched_;
  static HWND main_;
};

ProgramProcess* StartupTest::process_ = nullptr;
::testing::AssertionResult* StartupTest::launched_ = nullptr;
HWND StartupTest::main_ = nullptr;

TEST_F(StartupTest, DriveSelectorListsEveryDriveAndSelectsC) {
  HWND selector = GetDlgItem(main_, kDriveSelectorId);
  ASSERT_NE(selector, nullptr);
  EXPECT_EQ(ClassName(selector), "ComboBoxEx32");
  auto items = ReadComboBoxExItems(selector);
  ASSERT_TRUE(items.has_value()) << "the drive selector could not be read";
  std::vector<std::string> texts;
  for (const ComboItem& item : *items) texts.push_back(item.text);
  const std::vector<std::string> expected = ExpectedDriveItems();
  EXPECT_EQ(texts, expected);
  for (const ComboItem& item : *items) {
    EXPECT_GE(item.image, 0) << item.text << " has no icon";
    EXPECT_EQ(item.image, item.selected_image) << item.text;
  }
  auto c = std::find(texts.begin(), texts.end(), "(C:)");
  ASSERT_NE(c, texts.end()) << "no item (C:)";
  EXPECT_EQ(ComboSelection(selector), c - texts.begin());
}

// The drive selector's list opens tall enough for every item without scrolling, and not
// a row taller; the file-type selector stays hidden with its one item.
TEST_F(StartupTest, DriveDropDownFitsItsItems) {
  HWND combo = GetDlgItem(main_, kDriveSelectorId);
  const int item = ComboItemHeight(combo, 0);
  const int count = ComboCount(combo);
  ASSERT_GT(item, 0);
  ASSERT_GT(count, 0);
  const auto height = DroppedListClientHeight(combo);
  ASSERT_TRUE(height.has_value()) << "the drive list did not drop down";
  EXPECT_GE(*height, count * item) << count << " items of " << item << " px need scrolling";
  EXPECT_LT(*height, (count + 1) * item) << "room for more than " << count << " items of "
                                         << item << " px";

  HWND types = GetDlgItem(main_, kFileTypeSelectorId);
  EXPECT_EQ(ComboCount(types), 1);
  EXPECT_FALSE(IsWindowVisible(types));
}

TEST_F(StartupTest, PathLabelShowsRootOfC) {
  EXPECT_EQ(ControlText(main_, kPathLabelId), "\xE5\xBD\x93\xE5\x89\x8D\xE8\xB7\xAF\xE5\xBE\x84"
                                              "\xEF\xBC\x9A" "C:\\");  // 当前路径：C:\ (UTF-8)
  EXPECT_TRUE(MessageBoxes(process_->id(), main_).empty()) << "a message box came up at start-up";
}

// The fixture's entries as the list must show them, in its order: folders first, each
// word capitalised, sorted by code page 936 bytes ('.' before letters, the double-byte
// name last); the dot folder is left out.
const std::pair<const char*, const char*> kFixtureItems[] = {
    {"Qz-e2e Alpha", "QZ-E2E ALPHA"},
    {"Qz-e2e Beta", "qz-e2e beta"},
    {"Qz-e2e Gamma", "Qz-e2e Gamma"},
    {"Qz-e2e Hidden Folder", "qz-e2e hidden folder"},
    {".qz-e2e Dotfile", ".qz-e2e dotfile"},
    {"Qz-e2e My File.txt", "qz-e2e my FILE.TXT"},
    {"Qz-e2e Report.qz", "qz-e2e report.qz"},
    {"Qz-e2e Summary.qz", "qz-e2e summary.QZ"},
    {"Qz-e2e System.sys", "qz-e2e system.sys"},
    {"Qz-e2e X (y).dat", "qz-e2e x (y).dat"},
    {u8"癆癇 Qz-e2e.txt", u8"癆癇 qz-e2e.TXT"},
};

TEST_F(StartupTest, ListingOfCShowsTheFixtureAsWrittenOut) {
  std::vector<std::string> shown, expected;
  std::vector<DWORD> data;
  for (const ListItem& item : Listing()) {
    std::string lower = item.text;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower.find("qz-e2e") == std::string::npos) continue;
    shown.push_back(item.text);
    data.push_back(static_cast<DWORD>(item.data));
  }
  for (const auto& [display, stored] : kFixtureItems) expected.push_back(display);
  ASSERT_EQ(shown, expected);
  // Each item's data is its file's attributes, as the file system reports them.
  for (size_t i = 0; i < data.size(); ++i) {
    EXPECT_EQ(data[i], GetFileAttributesW(Utf8ToWide(RootPath(kFixtureItems[i].second)).c_str()))
        << Show(shown[i]);
  }
}

TEST_F(StartupTest, DisplayNamesOrderAndIcons) {
  const std::vector<ListItem> items = Listing();
  auto index_of = [&](const std::string& text) -> int {
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].text == text) return static_cast<int>(i);
    return -1;
  };
  // Folders: capitalised word by word, sorted, before every file; dot folders left out.
  const int alpha = index_of("Qz-e2e Alpha");
  const int beta = index_of("Qz-e2e Beta");
  const int gamma = index_of("Qz-e2e Gamma");
  ASSERT_GE(alpha, 0);
  EXPECT_EQ(beta, alpha + 1);
  EXPECT_EQ(gamma, alpha + 2);
  EXPECT_GE(index_of("Qz-e2e Hidden Folder"), 0);
  EXPECT_EQ(index_of(".qz-e2e Dotfolder"), -1);
  EXPECT_EQ(index_of(".qz-e2e dotfolder"), -1);

  int last_folder = -1, first_file = static_cast<int>(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].data & FILE_ATTRIBUTE_DIRECTORY)
      last_folder = static_cast<int>(i);
    else
      first_file = std::min(first_file, static_cast<int>(i));
  }
  EXPECT_LT(last_folder, first_file) << "a folder follows a file";

  // Files: dot files and hidden or system files are listed; the name after "(" keeps
  // its lower case; a trail byte that looks like a capital is left alone.
  const int my_file = index_of("Qz-e2e My File.txt");
  const int report = index_of("Qz-e2e Report.qz");
  const int summary = index_of("Qz-e2e Summary.qz");
  const int chinese = index_of(u8"癆癇 Qz-e2e.txt");
  EXPECT_GE(my_file, 0);
  EXPECT_GE(index_of(".qz-e2e Dotfile"), 0);
  EXPECT_GE(index_of("Qz-e2e X (y).dat"), 0);
  EXPECT_GE(index_of("Qz-e2e System.sys"), 0);
  EXPECT_GT(chinese, std::max(report, summary)) << "double-byte names sort after ASCII names";
  ASSERT_GE(report, 0);
  ASSERT_GE(summary, 0);
  EXPECT_EQ(items[report].data & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
            static_cast<LPARAM>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));

  // The encrypted-file icon goes to ".qz" as stored, not to ".QZ"; every folder shares one.
  const int encrypted_icon = items[report].image;
  EXPECT_NE(items[summary].image, encrypted_icon);
  std::set<int> folder_icons;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].data & FILE_ATTRIBUTE_DIRECTORY) {
      folder_icons.insert(items[i].image);
    } else if (static_cast<int>(i) != report) {
      EXPECT_NE(items[i].image, encrypted_icon) << Show(items[i].text);
    }
  }
  EXPECT_EQ(folder_icons.size(), 1u);
  EXPECT_EQ(folder_icons.count(encrypted_icon), 0u);
}

}  // namespace
}  // namespace qz::e2e
