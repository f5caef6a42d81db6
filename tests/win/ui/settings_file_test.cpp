// The settings file: anything wrong gives the first-start state, nothing written is lost.
#include <gtest/gtest.h>

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

TEST(SettingsFileTest, ReadsLenientlyWritesWholeAndStaysBesideAPortableProgram) {
  TempDir exe, appData;
  const std::wstring path = SettingsFile::Locate(Utf8ToWide(exe.path()), Utf8ToWide(appData.path()));
  EXPECT_EQ(path, Utf8ToWide(appData.File("Lockmere\\Lockmere.ini")));
  EXPECT_FALSE(StrongAfterLoad(path));  // missing, its folder too
  SettingsFile settings(path);
  ASSERT_TRUE(settings.Change(Settings{true}));
  EXPECT_TRUE(StrongAfterLoad(path));
  for (std::string damaged : {"", "\xFF\xFE garbage", "[Lockmere]\nStrongFiles=yes", "StrongFiles=1"}) {
    ASSERT_TRUE(WriteBytes(appData.File("Lockmere\\Lockmere.ini"), Bytes(damaged.begin(), damaged.end())));
    EXPECT_FALSE(StrongAfterLoad(path)) << damaged;
  }
  // Read-only: read, never replaced; no temporary file is left.
  ASSERT_TRUE(settings.Change(Settings{true}) && SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(settings.Change(Settings{false}));
  EXPECT_TRUE(StrongAfterLoad(path));
  EXPECT_EQ(NamesIn(appData.File("Lockmere")), std::vector<std::string>{"Lockmere.ini"});
  // Unreadable and unwritable (a folder in its place).
  MakeDir(exe.File("Lockmere.ini"));
  const std::wstring blocked = Utf8ToWide(exe.File("Lockmere.ini"));
  EXPECT_FALSE(StrongAfterLoad(blocked) || SettingsFile(blocked).Change(Settings{true}));
  // A Lockmere.ini beside the program is the one it uses.
  RemoveTree(exe.File("Lockmere.ini"));
  const std::string kept = "[Lockmere]\r\nStrongFiles=1\r\n";
  MakeFile(exe.File("Lockmere.ini"), Bytes(kept.begin(), kept.end()));
  const std::wstring portable = SettingsFile::Locate(Utf8ToWide(exe.path()), Utf8ToWide(appData.path()));
  EXPECT_TRUE(portable == Utf8ToWide(exe.File("Lockmere.ini")) && StrongAfterLoad(portable));
}

}  // namespace
