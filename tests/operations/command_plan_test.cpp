// What each command takes from the paths it is given, on a real folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "command_plan.h"
#include "test_support.h"

namespace {

using qz::test::ScratchDir;
using qzops::FileCommand;
using qzops::LeftReason;
using Strings = std::vector<std::string>;

Strings Sorted(Strings paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(CommandPlanTest, EachCommandTakesItsFilesAndSaysWhyItLeavesTheRest) {
  ScratchDir dir;
  for (const char* name : {"a.txt", "b.txt.qz", "c.AGE", "~qzab12cd.tmp"}) qz::test::WriteFile(dir / name, {1});
  ASSERT_EQ(symlink("a.txt", (dir / "l.txt").c_str()), 0);
  ASSERT_EQ(symlink("b.txt.qz", (dir / "m.qz").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "p.txt").c_str(), 0600), 0);
  ASSERT_EQ(mkdir((dir / "sub").c_str(), 0700), 0);
  qz::test::WriteFile(dir / "sub/inner.txt", {2});

  const qzops::PathPlan encrypt = qzops::PlanPath(FileCommand::kEncrypt, dir.path());
  EXPECT_TRUE(encrypt.folder);
  EXPECT_TRUE(encrypt.refused.empty());
  EXPECT_EQ(encrypt.files, Strings{dir / "a.txt"});
  // The links and the pipe are told whatever their names; the counts hold those the
  // command would have taken by name.
  EXPECT_EQ(encrypt.left.size(), 4u);
  EXPECT_EQ(encrypt.Links(), 1);
  EXPECT_EQ(encrypt.Others(), 1);
  EXPECT_EQ(encrypt.Left(LeftReason::kUnfinished), 1);

  const Strings both = {dir / "b.txt.qz", dir / "c.AGE"};
  EXPECT_EQ(Sorted(qzops::PlanPath(FileCommand::kDecrypt, dir.path()).files), both);
  EXPECT_EQ(Sorted(qzops::PlanPath(FileCommand::kCheck, dir.path() + "/").files), both);
  const qzops::PathPlan upgrade = qzops::PlanPath(FileCommand::kUpgrade, dir.path());
  EXPECT_EQ(upgrade.files, Strings{dir / "b.txt.qz"});
  EXPECT_EQ(upgrade.Links(), 1);
  EXPECT_EQ(upgrade.Others(), 0);

  // A named path stands for itself, or is refused with its reason.
  struct Named {
    FileCommand command;
    std::string name;
    LeftReason reason;
    qz::EntryKind kind;
  };
  for (const Named& named : {Named{FileCommand::kEncrypt, "b.txt.qz", LeftReason::kName, qz::EntryKind::kRegularFile},
                             Named{FileCommand::kUpgrade, "c.AGE", LeftReason::kName, qz::EntryKind::kRegularFile},
                             Named{FileCommand::kDecrypt, "~qzab12cd.tmp", LeftReason::kUnfinished,
                                   qz::EntryKind::kRegularFile},
                             Named{FileCommand::kDecrypt, "m.qz", LeftReason::kKind, qz::EntryKind::kSymlink},
                             Named{FileCommand::kEncrypt, "gone", LeftReason::kKind, qz::EntryKind::kMissing}}) {
    const qzops::PathPlan plan = qzops::PlanPath(named.command, dir / named.name);
    ASSERT_EQ(plan.refused.size(), 1u) << named.name;
    EXPECT_TRUE(plan.files.empty()) << named.name;
    EXPECT_EQ(plan.refused[0].reason, named.reason) << named.name;
    EXPECT_EQ(plan.refused[0].kind, named.kind) << named.name;
  }
  EXPECT_EQ(qzops::PlanPath(FileCommand::kCheck, dir / "c.AGE").files, Strings{dir / "c.AGE"});

  // Picked items: files by their names, folders counted and never entered.
  const qzops::PickPlan picked =
      qzops::PlanPicked(FileCommand::kEncrypt, {dir / "a.txt", dir / "b.txt.qz", dir / "sub", dir / "c.AGE"});
  EXPECT_EQ(picked.encrypt, Strings{dir / "a.txt"});
  EXPECT_EQ(picked.decrypt, both);
  EXPECT_EQ(picked.folders.size(), 1u);
  const qzops::PickPlan upgraded =
      qzops::PlanPicked(FileCommand::kUpgrade, {dir / "a.txt", dir / "b.txt.qz", dir / "sub", dir / "c.AGE"});
  EXPECT_EQ(upgraded.upgrade, Strings{dir / "b.txt.qz"});
  EXPECT_TRUE(upgraded.encrypt.empty() && upgraded.decrypt.empty());
  EXPECT_EQ(upgraded.folders.size(), 1u);

  // The password forms a run needs follow from the command and its files.
  const qzops::PasswordUse strongOnly = qzops::PasswordUseOf(FileCommand::kEncrypt, true, {dir / "a.txt"});
  EXPECT_TRUE(qzops::NeedsStrongForm(strongOnly) && !qzops::NeedsQzForm(strongOnly));
  const qzops::PasswordUse checked = qzops::PasswordUseOf(FileCommand::kCheck, false, both);
  EXPECT_TRUE(qzops::NeedsStrongForm(checked) && qzops::NeedsQzForm(checked));
  const qzops::PasswordUse upgrading = qzops::PasswordUseOf(FileCommand::kUpgrade, false, {});
  EXPECT_TRUE(qzops::NeedsStrongForm(upgrading) && qzops::NeedsQzForm(upgrading));
}

}  // namespace
