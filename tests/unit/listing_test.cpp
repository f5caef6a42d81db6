// The main window's listing without windows: display names, the folder rule and the order.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fs/file_system.h"
#include "listing/display_name.h"
#include "listing/folder_listing.h"

namespace {

std::string Capitalized(std::string name) {
  CapitalizeWords(&name[0]);
  return name;
}

TEST(CapitalizeWordsTest, LowerCasesAndCapitalisesAfterSpacesOnly) {
  EXPECT_EQ(Capitalized("my FILE.TXT"), "My File.txt");
  EXPECT_EQ(Capitalized("x (y)"), "X (y)");  // the parenthesis takes the word start
  EXPECT_EQ(Capitalized("a  b"), "A  B");
  EXPECT_EQ(Capitalized("REPORT.QZ"), "Report.qz");
  EXPECT_EQ(Capitalized(".HIDDEN x"), ".hidden X");
  EXPECT_EQ(Capitalized("9LIVES"), "9lives");
  EXPECT_EQ(Capitalized(""), "");
  // Bytes outside A-Z and a-z never change.
  EXPECT_EQ(Capitalized("\xC4\xD6 \xE4"), "\xC4\xD6 \xE4");
}

TEST(CapitalizeWordsTest, CharactersBeyondAsciiStayAsTheyAre) {
  // UTF-8 names: only ASCII letters change, and a character beyond ASCII takes the
  // word start as the parenthesis does.
  EXPECT_EQ(Capitalized(u8"报告 FINAL.TXT"), u8"报告 Final.txt");
  EXPECT_EQ(Capitalized(u8"straße.TXT"), u8"Straße.txt");
  EXPECT_EQ(Capitalized(u8"émile ZOLA"), u8"émile Zola");
  EXPECT_EQ(Capitalized(u8"emoji😀.txt"), u8"Emoji😀.txt");
  EXPECT_EQ(Capitalized(u8"한국어.txt"), u8"한국어.txt");
}

// The order the listing must give: a bubble sort that exchanges neighbours only when the
// first compares greater, byte-wise.
std::vector<int> BubbleSortedTags(std::vector<std::pair<std::string, int>> entries) {
  for (size_t i = entries.size(); i-- > 1;)
    for (size_t j = 0; j < i; ++j)
      if (std::strcmp(entries[j].first.c_str(), entries[j + 1].first.c_str()) > 0)
        std::swap(entries[j], entries[j + 1]);
  std::vector<int> tags;
  for (const auto& entry : entries) tags.push_back(entry.second);
  return tags;
}

TEST(SortListedEntriesTest, SameOrderAsBubbleSortIncludingEqualNames) {
  const char* pieces[] = {"a", "B", "b", "1", " ", "~", "\x81\x41", "\xD6\xD0", "A", "Z"};
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    int count = static_cast<int>(random() % 40);
    std::vector<std::pair<std::string, int>> names;
    std::vector<ListedEntry> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      std::string name;
      for (unsigned n = random() % 3 + 1; n; --n) name += pieces[random() % 10];
      names.emplace_back(name, i);
      ListedEntry& entry = entries[static_cast<size_t>(i)];
      entry.icon = i;  // the tag that tells equal names apart
      entry.name = entry.sortKey = name;
    }
    SortListedEntries(&entries);
    std::vector<int> tags;
    for (const ListedEntry& entry : entries) tags.push_back(entry.icon);
    ASSERT_EQ(tags, BubbleSortedTags(names)) << "round " << round;
  }
}

// Code page 936's order, whatever the system's: digits, upper, lower, then Chinese (丂 is
// 0x81 0x40, 中 0xD6 0xD0), then characters that code page lacks, each in code point
// order among themselves.
TEST(SortListedEntriesTest, DigitsThenUpperThenLowerThenChineseThenTheRest) {
  const std::vector<std::string> names = {u8"中", "b", u8"한", "B", "1", u8"丂", "Ab", u8"😀", "A", u8"a😀"};
  std::vector<ListedEntry> entries(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    entries[i].name = names[i];
    entries[i].sortKey = SortKeyOf(names[i]);
  }
  SortListedEntries(&entries);
  std::vector<std::string> sorted;
  for (const ListedEntry& entry : entries) sorted.push_back(entry.name);
  EXPECT_EQ(sorted, (std::vector<std::string>{"1", "A", "Ab", "B", u8"a😀", "b", u8"丂", u8"中", u8"한", u8"😀"}));
}

qz::FolderEntry Found(const std::string& name, qz::EntryKind kind, std::uint32_t attributes = 0) {
  qz::FolderEntry entry;
  entry.name = name;
  entry.kind = kind;
  entry.attributes = attributes;
  return entry;
}

// Folders (links to folders too, none starting with a dot) before files, each group by
// display name; the encrypted icon by the stored name, the shell asked once per extension;
// a file whose full path would pass the limit left out.
TEST(ListedEntriesTest, FoldersThenFilesWithIconsByStoredName) {
  using Kind = qz::EntryKind;
  const std::vector<qz::FolderEntry> scan = {
      Found("beta", Kind::kDirectory, 0x10),   Found("ALPHA", Kind::kDirectory, 0x10),
      Found(".git", Kind::kDirectory, 0x10),   Found("to dir", Kind::kSymlink, 0x10 | 0x400),
      Found("to file", Kind::kSymlink, 0x400), Found("report.QZ", Kind::kRegularFile),
      Found("b.txt", Kind::kRegularFile),      Found("photo.AGE", Kind::kRegularFile),
      Found("a.TXT", Kind::kRegularFile),      Found("a.txt", Kind::kRegularFile),
      Found("dev", Kind::kDevice)};
  std::map<std::string, int> asked;
  ListingIcons icons;
  icons.folder = 1;
  icons.encrypted = 2;
  icons.ofFile = [&](const std::string& path) { return 10 + static_cast<int>(++asked[path]) + static_cast<int>(asked.size()); };
  const std::vector<ListedEntry> listed = ListedEntries("d/", scan, scan, icons);
  std::vector<std::string> shown, onDisk;
  std::vector<int> iconsOf;
  for (const ListedEntry& entry : listed) {
    shown.push_back(entry.name);
    onDisk.push_back(entry.diskName);
    iconsOf.push_back(entry.folder ? -entry.icon : entry.icon);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"Alpha", "Beta", "To Dir", "A.txt", "A.txt", "B.txt", "Dev", "Photo.age",
                                             "Report.qz", "To File"}));
  EXPECT_EQ(onDisk, (std::vector<std::string>{"ALPHA", "beta", "to dir", "a.TXT", "a.txt", "b.txt", "dev", "photo.AGE",
                                              "report.QZ", "to file"}));
  // One question per extension, by the first name that has it; "TXT" and "txt" differ.
  EXPECT_EQ(asked, (std::map<std::string, int>{{"d/a.TXT", 1}, {"d/b.txt", 1}, {"d/report.QZ", 1}, {"d/to file", 1}}));
  const int txt = iconsOf[5], upperTxt = iconsOf[3];
  EXPECT_EQ(iconsOf, (std::vector<int>{-1, -1, -1, upperTxt, txt, txt, iconsOf[6], 2, iconsOf[8], iconsOf[6]}));
  EXPECT_NE(txt, upperTxt);
  EXPECT_NE(iconsOf[8], 2);

  const std::string deep(qz::MaxPathLength() - 2, 'd');
  const std::vector<ListedEntry> near = ListedEntries(deep, {}, {Found("ab", Kind::kRegularFile), Found("abc", Kind::kRegularFile)}, icons);
  ASSERT_EQ(near.size(), 1u);
  EXPECT_EQ(near[0].diskName, "ab");
}

}  // namespace
