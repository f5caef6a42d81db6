// Links and cloud files on Windows: one rule tells files, folders, links and the rest
// apart, and what a link leads to is never read, encrypted or deleted through it.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "fs/entry_kind.h"
#include "fs/file_streams.h"
#include "fs/file_system.h"
#include "fs/folder_scan.h"
#include "support/files.h"
#include "support/links.h"
#include "test_password.h"
#include "transactions/replace_transaction.h"

namespace qz {
namespace {

constexpr DWORD kReparse = FILE_ATTRIBUTE_REPARSE_POINT;
constexpr DWORD kRecallOnOpen = 0x40000;
constexpr DWORD kRecallOnDataAccess = 0x400000;

// Wine has no cloud client: the rule is checked on the values such files carry.
TEST(EntryKinds, CloudAndOfflineFilesAreFilesAndNameSurrogatesAreLinks) {
  for (std::uint32_t variant = 0; variant < 16; ++variant) {
    const std::uint32_t cloud = IO_REPARSE_TAG_CLOUD | (variant << 12);  // under IO_REPARSE_TAG_CLOUD_MASK
    EXPECT_EQ(EntryKind::kRegularFile,
              KindOfAttributes(
                  FILE_ATTRIBUTE_ARCHIVE | kReparse | kRecallOnDataAccess | FILE_ATTRIBUTE_OFFLINE, cloud))
        << std::hex << cloud;
    EXPECT_EQ(EntryKind::kDirectory,
              KindOfAttributes(FILE_ATTRIBUTE_DIRECTORY | kReparse | kRecallOnOpen, cloud));
  }
  for (std::uint32_t tag :
       {IO_REPARSE_TAG_DEDUP, IO_REPARSE_TAG_WOF, IO_REPARSE_TAG_HSM, IO_REPARSE_TAG_ONEDRIVE})
    EXPECT_EQ(EntryKind::kRegularFile, KindOfAttributes(FILE_ATTRIBUTE_ARCHIVE | kReparse, tag))
        << std::hex << tag;
  EXPECT_EQ(EntryKind::kRegularFile, KindOfAttributes(kRecallOnOpen | FILE_ATTRIBUTE_OFFLINE, 0));
  // The tag counts only with the reparse attribute: a listing leaves other values there.
  EXPECT_EQ(EntryKind::kRegularFile, KindOfAttributes(FILE_ATTRIBUTE_NORMAL, IO_REPARSE_TAG_SYMLINK));

  // Symbolic links to files and folders, junctions, the Linux subsystem's links, an app's
  // execution alias, and a reparse point whose tag nobody told.
  for (std::uint32_t tag :
       {std::uint32_t{IO_REPARSE_TAG_SYMLINK}, std::uint32_t{IO_REPARSE_TAG_MOUNT_POINT},
        std::uint32_t{0xA000001D}, std::uint32_t{IO_REPARSE_TAG_APPEXECLINK}, std::uint32_t{0}}) {
    EXPECT_EQ(EntryKind::kSymlink, KindOfAttributes(FILE_ATTRIBUTE_ARCHIVE | kReparse, tag))
        << std::hex << tag;
    EXPECT_EQ(EntryKind::kSymlink, KindOfAttributes(FILE_ATTRIBUTE_DIRECTORY | kReparse, tag))
        << std::hex << tag;
  }
  EXPECT_EQ(EntryKind::kDevice, KindOfAttributes(FILE_ATTRIBUTE_DEVICE, 0));
  EXPECT_EQ(EntryKind::kFifo, KindOfAttributes(kReparse, 0x80000024));
  EXPECT_EQ(EntryKind::kOther, KindOfAttributes(kReparse, IO_REPARSE_TAG_AF_UNIX));
}

// Wine lists a Unix link as the plain file it leads to and opens that file even when
// asked for the link itself.
TEST(Links, WhatALinkLeadsToIsNeitherEncryptedNorDeletedThroughIt) {
  wintest::TempDir dir;
  const std::string folder = dir.File("w"), real = folder + "\\target\\real.txt",
                    link = folder + "\\link.txt";
  const wintest::Bytes content = wintest::PatternBytes(3000, 21);
  wintest::MakeDir(folder);
  wintest::MakeDir(folder + "\\target");
  wintest::MakeFile(real, content);
  wintest::MakeFile(folder + "\\plain.txt", wintest::PatternBytes(100, 22));
  EXPECT_TRUE(::CreateHardLinkA((folder + "\\hard.txt").c_str(), (folder + "\\plain.txt").c_str(), nullptr));
  wintest::MakeLink(folder, "link.txt", "target/real.txt");
  wintest::MakeLink(folder, "dirlink", "target");
  if (HasFailure()) return wintest::RemoveTreeWithLinks(folder);

  EXPECT_EQ(EntryKind::kSymlink, KindOf(link));
  EXPECT_EQ(EntryKind::kSymlink, KindOf(folder + "\\dirlink"));
  // Through a link to its folder, or under a second name, a file is itself.
  EXPECT_EQ(EntryKind::kRegularFile, KindOf(folder + "\\dirlink\\real.txt"));
  EXPECT_EQ(EntryKind::kRegularFile, KindOf(folder + "\\hard.txt"));

  TransactionOptions options;
  options.deleteRetry = {1, std::chrono::milliseconds(1)};
  EXPECT_EQ(Outcome::kFailed, ReplaceWithEncrypted(link, Pw("pw"), options).outcome);
  EXPECT_FALSE(wintest::Exists(link + ".qz"));
  // A link put where the file read was: the name now belongs to the link.
  InputFile in;
  EXPECT_TRUE(in.Open(real));
  std::uint8_t buffer[4096];
  while (!in.eof() && !in.error()) in.Read(buffer, sizeof(buffer));
  in.Close();
  EXPECT_EQ(SourceRemoval::kChanged, RemoveIfUnchanged(link, in.snapshot(), options.deleteRetry));
  EXPECT_TRUE(wintest::LeadsElsewhere(link));
  EXPECT_TRUE(wintest::ReadBytes(real) == content);

  EXPECT_EQ(Outcome::kDone, ReplaceWithEncrypted(folder + "\\hard.txt", Pw("pw"), options).outcome);
  EXPECT_EQ(Outcome::kDone, ReplaceWithEncrypted(folder + "\\dirlink\\real.txt", Pw("pw"), options).outcome);
  EXPECT_FALSE(wintest::Exists(real));
  wintest::RemoveTreeWithLinks(folder);
}

}  // namespace
}  // namespace qz
