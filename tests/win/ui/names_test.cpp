// Display names and their order, without windows.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "display_name.h"
#include "file_entry.h"

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

TEST(SortEntryListTest, SameOrderAsBubbleSortIncludingEqualNames) {
  const char* pieces[] = {"a", "B", "b", "1", " ", "~", "\x81\x41", "\xD6\xD0", "A", "Z"};
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    int count = static_cast<int>(random() % 40);
    std::vector<std::pair<std::string, int>> names;
    FileEntry anchor = {};
    FileEntry* tail = &anchor;
    std::vector<FileEntry> storage(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      std::string name;
      for (unsigned n = random() % 3 + 1; n; --n) name += pieces[random() % 10];
      names.emplace_back(name, i);
      FileEntry& entry = storage[static_cast<size_t>(i)];
      entry.nIcon = i;  // the tag that tells equal names apart
      entry.name = entry.sortKey = name;
      tail->pNext = &entry;
      tail = &entry;
    }
    SortEntryList(&anchor, count);
    std::vector<int> tags;
    for (FileEntry* entry = anchor.pNext; entry && tags.size() <= storage.size(); entry = entry->pNext)
      tags.push_back(entry->nIcon);
    ASSERT_EQ(tags, BubbleSortedTags(names)) << "round " << round;
  }
}

// Code page 936's order, whatever the system's: digits, upper, lower, then Chinese (丂 is
// 0x81 0x40, 中 0xD6 0xD0), then characters that code page lacks, each in code point
// order among themselves.
TEST(SortEntryListTest, DigitsThenUpperThenLowerThenChineseThenTheRest) {
  const std::vector<std::string> names = {u8"中", "b", u8"한", "B", "1", u8"丂", "Ab", u8"😀", "A", u8"a😀"};
  std::vector<FileEntry> entries(names.size());
  FileEntry anchor = {};
  FileEntry* tail = &anchor;
  for (size_t i = 0; i < names.size(); ++i) {
    entries[i].name = names[i];
    entries[i].sortKey = SortKeyOf(names[i]);
    tail = tail->pNext = &entries[i];
  }
  SortEntryList(&anchor, static_cast<int>(names.size()));
  std::vector<std::string> sorted;
  for (FileEntry* entry = anchor.pNext; entry; entry = entry->pNext) sorted.push_back(entry->name);
  EXPECT_EQ(sorted, (std::vector<std::string>{"1", "A", "Ab", "B", u8"a😀", "b", u8"丂", u8"中", u8"한", u8"😀"}));
}

}  // namespace
