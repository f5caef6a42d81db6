// The main window run modally: drives at start-up, the first listing, a change of drive,
// and the listing of prepared folders under C:.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "listing/display_name.h"
#include "file_browser_dlg.h"
#include "resource.h"
#include "support/window_query.h"
#include "text_conversion.h"
#include "ui_test_support.h"

namespace {

using qz::wintest::TextOf;
using uitest::RunModal;

struct Item {
  std::string text;
  int image;
  DWORD data;
  bool operator==(const Item& other) const {
    return text == other.text && image == other.image && data == other.data;
  }
};

std::vector<Item> ItemsOf(HWND list) {
  std::vector<Item> items;
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[MAX_PATH] = {};
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    items.push_back({text, item.iImage, static_cast<DWORD>(item.lParam)});
  }
  return items;
}

std::vector<std::string> TextsOf(const std::vector<Item>& items) {
  std::vector<std::string> texts;
  for (const Item& item : items) texts.push_back(item.text);
  return texts;
}

// What a listing of dir shows: folders (no dot names) and then files, each group in
// byte order of the display names.
std::vector<std::string> ExpectedTexts(const std::string& dir) {
  std::vector<std::string> groups[2];
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  do {
    bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder && found.cFileName[0] == '.') continue;
    CapitalizeWords(found.cFileName);
    groups[folder ? 0 : 1].push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (auto& group : groups) std::stable_sort(group.begin(), group.end());
  groups[0].insert(groups[0].end(), groups[1].begin(), groups[1].end());
  return groups[0];
}

std::wstring LabelFor(const std::string& dir) { return Utf8ToWide("当前路径：") + Utf8ToWide(dir); }

// Lists the current folder again, as a change of the file type does.
void ListAgain(HWND window) {
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_FILE_TYPE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_FILE_TYPE)));
}

// Opens the drop-down and checks that it shows every item and is no taller than the
// selection field, the items and the borders (Wine trims a plain list to its items).
void ExpectDropDownFitsItems(HWND combo) {
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  int itemHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  int fit = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0)) +
            static_cast<int>(count) * itemHeight + 4 * GetSystemMetrics(SM_CYEDGE);
  HWND inner = reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETCOMBOCONTROL, 0, 0));
  COMBOBOXINFO info = {};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(inner ? inner : combo, &info));
  SendMessageW(info.hwndCombo, CB_SHOWDROPDOWN, TRUE, 0);
  RECT field, list, listClient;
  GetWindowRect(combo, &field);
  GetWindowRect(info.hwndList, &list);
  GetClientRect(info.hwndList, &listClient);
  SendMessageW(info.hwndCombo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_GE(listClient.bottom, count * itemHeight);
  EXPECT_LE(list.bottom - field.top, fit);
  // The height it was given, which Wine reports without the selection field.
  RECT dropped = {};
  SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  int given = dropped.bottom - dropped.top, fieldHeight = field.bottom - field.top;
  EXPECT_TRUE(given == fit || given + fieldHeight == fit) << given << " " << fieldHeight << " " << fit;
}

TEST(MainWindowTest, StartUpShowsTheDrivesAndDriveCAndSwitchesDrives) {
  std::vector<std::string> roots;
  char buffer[512] = {};
  DWORD length = GetLogicalDriveStringsA(sizeof(buffer), buffer);
  for (char* root = buffer; root < buffer + length && *root; root += std::strlen(root) + 1)
    roots.push_back(root);
  for (std::string& root : roots) root[0] = static_cast<char>(toupper(root[0]));
  auto z = std::find(roots.begin(), roots.end(), "Z:\\");
  ASSERT_NE(z, roots.end()) << "Wine's Z: drive";

  CFileBrowserDlg dialog;
  RunModal(dialog, [&](HWND window) {
    HWND drives = GetDlgItem(window, IDC_DRIVE);
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    ASSERT_EQ(SendMessageW(drives, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(roots.size()));
    for (size_t i = 0; i < roots.size(); ++i) {
      char text[16] = {};
      COMBOBOXEXITEMA item = {};
      item.mask = CBEIF_TEXT | CBEIF_LPARAM;
      item.iItem = static_cast<INT_PTR>(i);
      item.pszText = text;
      item.cchTextMax = sizeof(text);
      ASSERT_TRUE(SendMessageA(drives, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
      EXPECT_EQ(std::string(text), "(" + roots[i].substr(0, 2) + ")");
      ASSERT_NE(item.lParam, 0);
      EXPECT_STREQ(reinterpret_cast<const char*>(item.lParam), roots[i].c_str());
    }
    // Icon 128 at the system's big and small sizes, for the task switcher and the title bar.
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)), dialog.Icons().BigIcon());
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)), dialog.Icons().SmallIcon());
    for (auto [icon, metric] : {std::pair{dialog.Icons().BigIcon(), SM_CXICON}, std::pair{dialog.Icons().SmallIcon(), SM_CXSMICON}}) {
      ICONINFO info = {};
      BITMAP bitmap = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
      EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(metric));
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
    }
    LRESULT selected = SendMessageW(drives, CB_GETCURSEL, 0, 0);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(roots[static_cast<size_t>(selected)], "C:\\");
    EXPECT_EQ(TextOf(GetDlgItem(window, IDC_PATH_LABEL)), LabelFor("C:\\"));
    EXPECT_EQ(TextsOf(ItemsOf(list)), ExpectedTexts("C:\\"));

    // Both drop-downs open to show all their items.
    for (int id : {IDC_DRIVE, IDC_FILE_TYPE}) {
      SCOPED_TRACE(id);
      ExpectDropDownFitsItems(GetDlgItem(window, id));
    }
    LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_SMALLICON);
    EXPECT_EQ(style & WS_VSCROLL, 0);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    SHFILEINFOA info = {};
    EXPECT_EQ(images, reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
                          "C:\\", 0, &info, sizeof(info),
                          SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON)));
    EXPECT_GE(dialog.Icons().EncryptedIcon(), 0);
    EXPECT_LT(dialog.Icons().EncryptedIcon(), ImageList_GetImageCount(images));

    SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(z - roots.begin()), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_DRIVE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives));
    EXPECT_EQ(dialog.CurrentFolder(), "Z:\\");
    EXPECT_EQ(TextOf(GetDlgItem(window, IDC_PATH_LABEL)), LabelFor("Z:\\"));
    std::vector<std::string> texts = TextsOf(ItemsOf(list));
    EXPECT_EQ(texts, ExpectedTexts("Z:\\"));
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Usr"), texts.end());
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  });
}

// Prepared folders under C:, removed again afterwards.
class ListingTest : public testing::Test {
 protected:
  static constexpr const char* kRoot = "C:\\lockmere-ui-test\\";

  static void SetUpTestSuite() {
    RemoveTree(kRoot);
    for (const char* dir : {"", "names", "upper", "empty"}) MakeDir(std::string(kRoot) + dir);
    const std::string names = std::string(kRoot) + "names\\";
    for (const char* dir : {"beta", "ALPHA", "Gamma", ".git", "hid", "sys"}) MakeDir(names + dir);
    for (const char* file : {"my FILE.TXT", "x (y)", "report.qz", ".profile", "hidden.txt",
                             "system.txt", "9 nine", "abc", "\x81\x41" "b.txt", "Zed"})
      MakeFile(names + file);
    SetFileAttributesA((names + "hid").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((names + "sys").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((names + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((names + "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    MakeFile(std::string(kRoot) + "upper\\report.QZ");
    MakeFile(std::string(kRoot) + "upper\\photo.AGE");
  }
  static void TearDownTestSuite() { RemoveTree(kRoot); }

  static void MakeDir(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
  }
  static void MakeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
  }
  static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      std::string path = dir + found.cFileName;
      if (!std::strcmp(found.cFileName, ".") || !std::strcmp(found.cFileName, "..")) continue;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path + "\\");
      else DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
    RemoveDirectoryA(dir.c_str());
  }
};

TEST_F(ListingTest, FoldersThenFilesWithDisplayNamesIconsAndAttributes) {
  const std::string names = std::string(kRoot) + "names\\";
  const std::vector<std::string> expected = {
      "Alpha", "Beta", "Gamma", "Hid", "Sys",
      ".profile", "9 Nine", "Abc", "Hidden.txt", "My File.txt", "Report.qz", "System.txt",
      "X (y)", "Zed", "\x81\x41" "b.txt"};
  CFileBrowserDlg dialog(names);
  RunModal(dialog, [&](HWND window) {
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    std::vector<Item> items = ItemsOf(list);
    EXPECT_EQ(TextsOf(items), expected);
    EXPECT_EQ(TextOf(GetDlgItem(window, IDC_PATH_LABEL)), LabelFor(names));
    int widest = 0;
    for (size_t i = 0; i < items.size(); ++i) {
      const Item& item = items[i];
      // The display name still names the entry, and the data are its attributes.
      EXPECT_EQ(item.data, GetFileAttributesA((names + item.text).c_str())) << item.text;
      EXPECT_EQ((item.data & FILE_ATTRIBUTE_DIRECTORY) != 0, i < 5) << item.text;
      EXPECT_EQ(item.image == dialog.Icons().EncryptedIcon(), item.text == "Report.qz") << item.text;
      if (i < 5) {
        EXPECT_EQ(item.image, items[0].image) << "one folder icon";
      }
      widest = std::max(widest, static_cast<int>(SendMessageA(
                                    list, LVM_GETSTRINGWIDTHA, 0,
                                    reinterpret_cast<LPARAM>(item.text.c_str()))));
    }
    ASSERT_EQ(items.size(), expected.size());
    EXPECT_TRUE(items[3].data & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(items[4].data & FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(items[8].data & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(items[11].data & FILE_ATTRIBUTE_SYSTEM);
    EXPECT_GT(widest, 0);
    EXPECT_EQ(dialog.List().WidestText(), widest);

    ListAgain(window);
    EXPECT_EQ(ItemsOf(list), items);
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  });

  // The icon follows the stored name: report.QZ is no encrypted file, while a strong
  // file's extension counts in any case.
  CFileBrowserDlg upperDialog(std::string(kRoot) + "upper\\");
  RunModal(upperDialog, [&](HWND window) {
    std::vector<Item> upper = ItemsOf(GetDlgItem(window, IDC_FILE_LIST));
    ASSERT_EQ(TextsOf(upper), (std::vector<std::string>{"Photo.age", "Report.qz"}));
    EXPECT_EQ(upper[0].image, upperDialog.Icons().EncryptedIcon());
    EXPECT_NE(upper[1].image, upperDialog.Icons().EncryptedIcon());
    EXPECT_EQ(upper[1].image, CFileBrowserDlg::GetShellIconIndex("report.QZ", FALSE));
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  });

  for (const char* dir : {"empty\\", "missing\\"}) {
    const std::string path = std::string(kRoot) + dir;
    CFileBrowserDlg emptyDialog(path);
    RunModal(emptyDialog, [&](HWND window) {
      EXPECT_EQ(SendMessageW(GetDlgItem(window, IDC_FILE_LIST), LVM_GETITEMCOUNT, 0, 0), 0) << dir;
      EXPECT_EQ(TextOf(GetDlgItem(window, IDC_PATH_LABEL)), LabelFor(path));
      EXPECT_EQ(emptyDialog.List().WidestText(), 0);
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
  }
}

}  // namespace
