// The settings file as the program finds, reads and writes it: nothing that is wrong with
// it is ever more than the first-start state, and a file that cannot be written is only
// not kept.
#include <gtest/gtest.h>

#include <string>

#include "settings_file.h"
#include "support/files.h"
#include "support/text.h"

namespace {

using namespace qz::wintest;

bool StrongAfterLoad(const std::wstring& path) {
  SettingsFile file(path);
  file.Load();
  return file.Get().strongFiles;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(SettingsFileTest, ReadsLenientlyWritesWholeAndStaysBesideAPortableProgram) {
  TempDir exe, appData;
  const std::wstring path = SettingsFile::Locate(Utf8ToWide(exe.path()), Utf8ToWide(appData.path()));
  EXPECT_EQ(path, Utf8ToWide(appData.File("Lockmere\\Lockmere.ini")));
  EXPECT_FALSE(StrongAfterLoad(path));  // missing, its folder too

  SettingsFile settings(path);
  ASSERT_TRUE(settings.Change(Settings{true}));
  EXPECT_TRUE(StrongAfterLoad(path));
  EXPECT_EQ(NamesIn(appData.File("Lockmere")), std::vector<std::string>{"Lockmere.ini"});

  // Damaged or empty: the first-start state.
  for (const char* damaged : {"", "\xFF\xFE\x00garbage", "[Lockmere]\nStrongFiles=yes\n", "StrongFiles=1\n"}) {
    ASSERT_TRUE(WriteBytes(appData.File("Lockmere\\Lockmere.ini"), Text(damaged)));
    EXPECT_FALSE(StrongAfterLoad(path)) << damaged;
  }

  // A read-only file is read but not replaced, and no temporary file is left beside it.
  ASSERT_TRUE(settings.Change(Settings{true}));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(settings.Change(Settings{false}));
  EXPECT_FALSE(settings.Get().strongFiles);  // still held while the program runs
  EXPECT_TRUE(StrongAfterLoad(path));
  EXPECT_EQ(NamesIn(appData.File("Lockmere")), std::vector<std::string>{"Lockmere.ini"});
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

  // Unreadable (a folder in its place): the first-start state, and nothing written.
  const std::wstring blocked = Utf8ToWide(exe.File("blocked.ini"));
  MakeDir(exe.File("blocked.ini"));
  EXPECT_FALSE(StrongAfterLoad(blocked));
  EXPECT_FALSE(SettingsFile(blocked).Change(Settings{true}));
  EXPECT_EQ(NamesIn(exe.path()), std::vector<std::string>{"blocked.ini"});

  // A Lockmere.ini beside the program is the one it uses.
  MakeFile(exe.File("Lockmere.ini"), Text("[Lockmere]\r\nStrongFiles=1\r\n"));
  const std::wstring portable = SettingsFile::Locate(Utf8ToWide(exe.path()), Utf8ToWide(appData.path()));
  EXPECT_EQ(portable, Utf8ToWide(exe.File("Lockmere.ini")));
  EXPECT_TRUE(StrongAfterLoad(portable));
}

}  // namespace
