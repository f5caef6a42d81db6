// Strong batches with keys made ahead on other threads: every output opens and has a key
// of its own, each file opens with its own key only, and a batch that is cancelled
// half-way leaves no thread behind.
#include <gtest/gtest.h>
#include <dirent.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "age/age_header.h"
#include "age/strong_file.h"
#include "decryption_key_pool.h"
#include "file_session.h"
#include "strong_key_pool.h"
#include "test_password.h"
#include "test_support.h"

namespace {

using qz::test::Bytes;
using qz::test::ReadFile;
using qz::test::ScratchDir;
using qz::test::WriteFile;
using qzops::FileCommand;

const std::string kPassword = "pool password";
std::atomic<int> g_finished{0};
std::atomic<int> g_cancelAfter{1000};

qzops::SessionSettings BatchSettings(const qz::CancelToken& cancel) {
  qzops::SessionSettings settings;
  settings.workFactor = 10;
  settings.cancel = &cancel;
  return settings;
}

class BatchFrontEnd : public qzops::FrontEnd {
 public:
  std::vector<qzops::FileReport> reports;
  qz::CancelToken cancel;
  bool AskEncryptionPassword(qzops::Passwords* out) override {
    out->strong = Pw(kPassword);
    out->strongFiles = true;
    return true;
  }
  std::string password = kPassword;
  int unopened = 0;
  bool AskDecryptionPassword(qzops::PasswordUse, qzops::Passwords* out) override {
    out->qz = Pw(password);
    out->strong = Pw(password);
    return true;
  }
  qzops::Answer Preset(qzops::Question) override { return qzops::Answer::kNo; }
  bool Confirm(qzops::Question, const std::string&) override { return false; }
  void Tell(qzops::Notice, const std::string&, int) override {}
  std::uint64_t SizeHint(const std::string&) override { return 0; }
  qz::ProgressSink* BeginProgress(const std::string&, std::uint64_t) override { return nullptr; }
  void Finished(const qzops::FileReport& report) override {
    reports.push_back(report);
    if (++g_finished >= g_cancelAfter) cancel.Request();
  }
  void BatchEnded(int count) override { unopened += count; }
};

int ThreadsNow() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
  }
  return count;
}

// n files of differing sizes (an empty one, one over a chunk) in dir.
std::vector<std::string> MakeFiles(const ScratchDir& dir, int n, std::vector<Bytes>* contents) {
  std::vector<std::string> paths;
  for (int i = 0; i < n; ++i) {
    const std::size_t size = i == 0 ? 0 : i == 1 ? 70000 : 100u * static_cast<std::size_t>(i);
    contents->push_back(qz::test::RandomBytes(size, 40 + i));
    paths.push_back(dir / ("f" + std::to_string(i)));
    WriteFile(paths.back(), contents->back());
  }
  return paths;
}

class StrongKeyPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_finished = 0;
    g_cancelAfter = 1000;
    // A thread started first, so that a runtime's own helper thread (sanitizers start
    // one with the first thread) is there before the counts.
    std::thread([] {}).join();
  }
};

TEST_F(StrongKeyPoolTest, BatchOutputsOpenAndEachHasItsOwnSaltAndFileKey) {
  ScratchDir dir;
  std::vector<Bytes> contents;
  std::vector<std::string> paths = MakeFiles(dir, 6, &contents);
  // A file that is gone by its turn fails alone; its key is not handed on.
  paths.insert(paths.begin() + 3, dir / "missing");
  const int threadsBefore = ThreadsNow();

  qzops::StrongKeyPool pool(paths.size());
  BatchFrontEnd ui;
  {
    qzops::FileSession session(ui, BatchSettings(ui.cancel));
    session.UseKeyPool(&pool);
    session.RunFiles(paths, FileCommand::kEncrypt);
  }
  ASSERT_EQ(ui.reports.size(), paths.size());
  EXPECT_EQ(pool.taken(), paths.size()) << "every file took a key made ahead";
  EXPECT_GE(pool.threads(), 1u);
  pool.Stop();
  EXPECT_EQ(ThreadsNow(), threadsBefore);
  qz::PreparedStrongKey late;
  EXPECT_FALSE(pool.Take(Pw(kPassword), 10, nullptr, &late)) << "nothing after the end";

  std::set<std::string> salts, fileKeys;
  for (std::size_t i = 0, content = 0; i < paths.size(); ++i) {
    if (paths[i] == dir / "missing") {
      EXPECT_EQ(ui.reports[i].encrypt.step, qz::EncryptStep::kOpenSource);
      continue;
    }
    ASSERT_EQ(ui.reports[i].encrypt.step, qz::EncryptStep::kOk) << paths[i];
    const Bytes blob = ReadFile(paths[i] + ".age");
    const qz::HeaderParse parse = qz::ParseStrongHeader(blob.data(), blob.size());
    ASSERT_EQ(parse.verdict, qz::HeaderVerdict::kOk);
    EXPECT_EQ(parse.header.logN, 10);
    std::uint8_t fileKey[qz::kFileKeyBytes];
    ASSERT_EQ(qz::UnwrapFileKey(Pw(kPassword), blob.data(), parse.header, fileKey), qz::UnwrapResult::kOk);
    salts.insert(qz::test::Hex(parse.header.salt, sizeof parse.header.salt));
    fileKeys.insert(qz::test::Hex(fileKey, sizeof fileKey));

    const std::string plain = dir / ("plain" + std::to_string(i));
    ASSERT_EQ(qz::DecryptStrongFile(paths[i] + ".age", plain, Pw(kPassword)), qz::DecryptStep::kOk);
    EXPECT_EQ(ReadFile(plain), contents[content++]) << paths[i];
  }
  EXPECT_EQ(salts.size(), contents.size());
  EXPECT_EQ(fileKeys.size(), contents.size());
}

TEST_F(StrongKeyPoolTest, CancelHalfWayKeepsTheRestAndLeavesNoThread) {
  ScratchDir dir;
  std::vector<Bytes> contents;
  const std::vector<std::string> paths = MakeFiles(dir, 8, &contents);
  const int threadsBefore = ThreadsNow();
  g_cancelAfter = 2;
  BatchFrontEnd ui;
  {
    // The batch's own pool, ended with the batch.
    qzops::FileSession session(ui, BatchSettings(ui.cancel));
    session.RunFiles(paths, FileCommand::kEncrypt);
    EXPECT_EQ(ThreadsNow(), threadsBefore);
  }
  // The cancelled file ends the batch.
  ASSERT_EQ(ui.reports.size(), 3u);
  EXPECT_EQ(ui.reports[1].encrypt.step, qz::EncryptStep::kOk);
  EXPECT_EQ(ui.reports[2].encrypt.step, qz::EncryptStep::kCancelled);
  for (std::size_t i = 2; i < paths.size(); ++i) EXPECT_EQ(ReadFile(paths[i]), contents[i]);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"f0.age", "f1.age", "f2", "f3", "f4", "f5", "f6", "f7"}));

  // A batch whose last names are links, left alone, ends with keys made for them: they
  // and the threads waiting to make more end with the batch.
  ScratchDir more;
  std::vector<std::string> withLinks = {more / "a", more / "b"};
  WriteFile(withLinks[0], contents[3]);
  WriteFile(withLinks[1], contents[4]);
  for (int i = 0; i < 6; ++i) {
    withLinks.push_back(more / ("link" + std::to_string(i)));
    ASSERT_EQ(symlink(withLinks[0].c_str(), withLinks.back().c_str()), 0);
  }
  g_cancelAfter = 1000;
  BatchFrontEnd second;
  {
    qzops::FileSession session(second, BatchSettings(second.cancel));
    session.RunFiles(withLinks, FileCommand::kEncrypt);
    EXPECT_EQ(ThreadsNow(), threadsBefore);
  }
  ASSERT_EQ(second.reports.size(), 2u);
  EXPECT_EQ(second.reports[1].encrypt.step, qz::EncryptStep::kOk);
}

TEST_F(StrongKeyPoolTest, AKeyIsUsedUpByItsCallAndOneForAnotherWorkFactorWritesNothing) {
  ScratchDir dir;
  const Bytes content = qz::test::RandomBytes(500, 7);
  WriteFile(dir / "a", content);
  qz::PreparedStrongKey key;
  ASSERT_TRUE(key.Prepare(Pw(kPassword), 10));
  qz::CipherOptions options;
  options.workFactor = 11;
  EXPECT_EQ(qz::EncryptStrongFile(dir / "a", dir / "a.age", std::move(key), options), qz::EncryptStep::kDeriveKey);
  EXPECT_EQ(dir.List(), std::vector<std::string>{"a"});
  EXPECT_FALSE(key.ready()) << "a refused key is wiped too";
  options.workFactor = 10;
  ASSERT_TRUE(key.Prepare(Pw(kPassword), 10));
  EXPECT_EQ(qz::EncryptStrongFile(dir / "a", dir / "a.age", std::move(key), options), qz::EncryptStep::kOk);
  EXPECT_EQ(qz::DecryptStrongFile(dir / "a.age", dir / "b", Pw(kPassword)), qz::DecryptStep::kOk);
  EXPECT_EQ(ReadFile(dir / "b"), content);
  // One salt and file key never protect two files.
  qz::TransactionOptions again;
  again.cipher = options;
  EXPECT_EQ(qz::ReplaceWithStrongEncrypted(dir / "b", std::move(key), again).step, qz::EncryptStep::kDeriveKey);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"a", "a.age", "b"}));
}

TEST_F(StrongKeyPoolTest, DecryptionsAndUpgradesTakeKeysMadeAheadAndEachFileOpensWithItsOwn) {
  ScratchDir dir;
  std::vector<Bytes> contents;
  const std::vector<std::string> plain = MakeFiles(dir, 5, &contents);
  std::vector<std::string> paths;
  qz::TransactionOptions options;
  options.cipher.workFactor = 10;
  for (const std::string& path : plain) {
    ASSERT_EQ(qz::ReplaceWithStrongEncrypted(path, Pw(kPassword), options).step, qz::EncryptStep::kOk);
    paths.push_back(path + ".age");
  }
  // A header changed after it was written: its own file key's MAC no longer fits it.
  Bytes changed = ReadFile(paths[2]);
  const std::size_t mac = std::string(changed.begin(), changed.end()).find("\n--- ") + 5;
  changed[mac] = changed[mac] == 'A' ? 'B' : 'A';
  WriteFile(paths[2], changed);
  const int threadsBefore = ThreadsNow();

  // A key opens the header it was made for, and no password is tried then; another
  // file's key is of no use.
  qzops::DecryptionKeyPool ahead({paths[0], paths[1]});
  qz::StrongWrapKey key;
  ASSERT_TRUE(ahead.Take(paths[1], Pw(kPassword), nullptr, &key));
  options.cipher.wrapKeyAhead = &key;
  EXPECT_EQ(qz::CheckStrongPassword(paths[1], Pw("not it"), options.cipher), qz::DecryptStep::kOk);
  EXPECT_EQ(qz::CheckStrongPassword(paths[0], Pw("not it"), options.cipher), qz::DecryptStep::kWrongPassword);
  ahead.Stop();
  EXPECT_FALSE(ahead.Take(paths[1], Pw(kPassword), nullptr, &key)) << "nothing after the end";

  // A wrong password opens nothing, with the batch's own pool.
  BatchFrontEnd wrong;
  wrong.password = "wrong password";
  {
    qzops::FileSession session(wrong, BatchSettings(wrong.cancel));
    session.RunFiles(paths, FileCommand::kDecrypt);
  }
  EXPECT_EQ(wrong.unopened, 5);
  EXPECT_EQ(ThreadsNow(), threadsBefore);

  qzops::DecryptionKeyPool pool(paths);
  BatchFrontEnd ui;
  {
    qzops::FileSession session(ui, BatchSettings(ui.cancel));
    session.UseDecryptionKeys(&pool);
    session.RunFiles(paths, FileCommand::kDecrypt);
  }
  ASSERT_EQ(ui.reports.size(), paths.size());
  EXPECT_EQ(pool.taken(), paths.size()) << "every file took a key made ahead";
  pool.Stop();
  EXPECT_EQ(ThreadsNow(), threadsBefore);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i == 2) continue;
    EXPECT_EQ(ui.reports[i].decrypt.step, qz::DecryptStep::kOk) << paths[i];
    EXPECT_EQ(ReadFile(plain[i]), contents[i]) << paths[i];
  }
  EXPECT_EQ(ui.reports[2].decrypt.step, qz::DecryptStep::kDamaged);
  EXPECT_EQ(ReadFile(paths[2]), changed);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"f0", "f1", "f2.age", "f3", "f4"}));

  // Upgrades write their strong files with keys made ahead, and read them back with them.
  std::vector<std::string> qzFiles = {plain[0], plain[1], plain[3]};
  for (std::string& path : qzFiles) {
    ASSERT_EQ(qz::ReplaceWithEncrypted(path, Pw(kPassword)).step, qz::EncryptStep::kOk);
    path += ".qz";
  }
  qzops::StrongKeyPool keys(qzFiles.size());
  {
    qzops::FileSession session(ui, BatchSettings(ui.cancel));
    session.UseKeyPool(&keys);
    session.RunFiles(qzFiles, FileCommand::kUpgrade);
  }
  EXPECT_EQ(keys.taken(), qzFiles.size());
  for (std::size_t i : {0, 1, 3}) {
    ASSERT_EQ(qz::DecryptStrongFile(plain[i] + ".age", dir / "out", Pw(kPassword)), qz::DecryptStep::kOk);
    EXPECT_EQ(ReadFile(dir / "out"), contents[i]);
  }
}

}  // namespace
