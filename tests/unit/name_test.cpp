#include <gtest/gtest.h>

#include <cstring>

#include "fs/file_names.h"

namespace qz {
namespace {

TEST(EncryptedName, OnlyLowerCaseDotQzAtTheEndCounts) {
  EXPECT_EQ(1, HasEncryptedExtension("a.txt.qz"));
  EXPECT_EQ(1, HasEncryptedExtension(".qz"));
  EXPECT_EQ(0, HasEncryptedExtension("a.txt.QZ"));
  EXPECT_EQ(0, HasEncryptedExtension("a.txt.qZ"));
  EXPECT_EQ(0, HasEncryptedExtension("a.txtqz"));
  EXPECT_EQ(0, HasEncryptedExtension("a.qz.txt"));
  EXPECT_EQ(0, HasEncryptedExtension("qz"));
  EXPECT_EQ(0, HasEncryptedExtension(""));
}

TEST(EncryptedName, StripAndAppendAreInverse) {
  char path[64] = "C:\\x\\a.txt.qz";
  EXPECT_EQ(1, StripEncryptedExtension(path));
  EXPECT_STREQ("C:\\x\\a.txt", path);
  EXPECT_EQ(1, AppendEncryptedExtension(path));
  EXPECT_STREQ("C:\\x\\a.txt.qz", path);
  EXPECT_EQ("C:\\x\\a.txt", StripEncryptedExtension(std::string("C:\\x\\a.txt.qz")));
  // Strip never reaches before the buffer, whatever the name.
  char shortName[4] = "ab";
  StripEncryptedExtension(shortName);
  EXPECT_STREQ("", shortName);
}

TEST(SplitPath, SplitsAtTheLastBackslash) {
  char dir[16], name[16];
  EXPECT_EQ(1, SplitPath("C:\\data\\a.txt", dir, sizeof dir, name, sizeof name));
  EXPECT_STREQ("C:\\data", dir);
  EXPECT_STREQ("a.txt", name);
  EXPECT_EQ(1, SplitPath("C:\\a.txt", dir, sizeof dir, name, sizeof name));
  EXPECT_STREQ("C:", dir);
  EXPECT_STREQ("a.txt", name);
  EXPECT_EQ(1, SplitPath("C:\\x\\", dir, sizeof dir, name, sizeof name));
  EXPECT_STREQ("C:\\x", dir);
  EXPECT_STREQ("", name);
}

TEST(SplitPath, TrailByteOfDoubleByteCharacterIsNotSpecial) {
  // 0x5C as a trail byte still splits: the rule is byte-wise, like the format's.
  std::string dir, name;
  SplitPath("C:\\\xB1\xED\\x.txt", &dir, &name);
  EXPECT_EQ("C:\\\xB1\xED", dir);
  EXPECT_EQ("x.txt", name);
}

TEST(SplitPath, RefusesBuffersThatAreTooSmall) {
  char dir[4], name[4];
  EXPECT_EQ(0, SplitPath("C:\\long-name.txt", dir, sizeof dir, name, sizeof name));
  EXPECT_STREQ("", dir);
  EXPECT_STREQ("", name);
}

#ifndef _WIN32
TEST(SplitPath, AlsoSplitsAtSlashOnPosix) {
  std::string dir, name;
  SplitPath("/tmp/x\\y/a.txt", &dir, &name);
  EXPECT_EQ("/tmp/x\\y", dir);
  EXPECT_EQ("a.txt", name);
}
#endif

}  // namespace
}  // namespace qz
