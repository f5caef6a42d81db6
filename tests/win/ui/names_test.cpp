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

TEST(CapitalizeWordsTest, KeepsTrailBytesOfDoubleByteCharacters) {
  // 0x81 0x41 and 0x81 0x5A are characters of code page 936 whose trail bytes are 'A'
  // and 'Z'; lower-casing them would name another file.
  EXPECT_EQ(Capitalized("\x81\x41" "BC d"), "\x81\x41" "bc D");
  EXPECT_EQ(Capitalized("ab \x81\x5A"), "Ab \x81\x5A");
  EXPECT_EQ(Capitalized("\xD6\xD0\xCE\xC4 NAME"), "\xD6\xD0\xCE\xC4 Name");
  EXPECT_EQ(Capitalized("X\x81"), "X\x81");  // a lead byte at the end stays
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
      std::strcpy(entry.szName, name.c_str());
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

TEST(SortEntryListTest, DigitsThenUpperThenLowerThenDoubleByte) {
  const char* names[] = {"\xD6\xD0", "b", "B", "1", "\x81\x41", "Ab", "A"};
  FileEntry entries[7] = {};
  FileEntry anchor = {};
  FileEntry* tail = &anchor;
  for (int i = 0; i < 7; ++i) {
    std::strcpy(entries[i].szName, names[i]);
    tail = tail->pNext = &entries[i];
  }
  SortEntryList(&anchor, 7);
  std::vector<std::string> sorted;
  for (FileEntry* entry = anchor.pNext; entry; entry = entry->pNext) sorted.push_back(entry->szName);
  EXPECT_EQ(sorted, (std::vector<std::string>{"1", "A", "Ab", "B", "b", "\x81\x41", "\xD6\xD0"}));
}

}  // namespace
