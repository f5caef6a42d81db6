// A source is deleted only while it is still the file that was read: an append, an
// editor's save or another process's output during the work keeps it. Interrupted work
// leaves no temporary file, and outputs carry the source's times and permission bits.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "fs/signal_free_thread.h"
#include "qz/file_cipher.h"
#include "test_password.h"
#include "test_support.h"
#include "transactions/replace_transaction.h"

namespace qz {
namespace {

using test::Bytes;

constexpr std::size_t kBigBytes = 600000;  // large enough for progress calls

// Runs a callback at the first progress step (while the source is read) or at the end
// of the progress (the output is in place, the source not yet deleted).
class Meddler final : public ProgressSink {
 public:
  std::function<void()> duringRead, beforeDelete;
  void Begin(std::uint64_t) override {}
  void Advance(std::uint64_t) override { Once(duringRead); }
  void End() override { Once(beforeDelete); }

 private:
  static void Once(std::function<void()>& f) {
    if (f) std::exchange(f, nullptr)();
  }
};

class SourceSafetyTest : public ::testing::Test {
 protected:
  TransactionOptions Options(Meddler* meddler) {
    TransactionOptions options;
    options.cipher.backend = &PortableBackend();
    options.cipher.ioBufferBytes = 1000;
    options.cipher.progress = meddler;
    options.cipher.sizeHint = kBigBytes;
    options.deleteRetry.attempts = 2;
    options.deleteRetry.pause = std::chrono::milliseconds(1);
    return options;
  }
  std::string plain() const { return dir_ / "a.txt"; }
  std::string qz() const { return dir_ / "a.txt.qz"; }
  Bytes Decrypted(const std::string& path) {
    CipherOptions options;
    options.backend = &PortableBackend();
    options.acceptOtherName = true;
    EXPECT_EQ(DecryptStep::kOk, DecryptFileData(path, dir_ / "check", Pw("pw"), options));
    Bytes bytes = test::ReadFile(dir_ / "check");
    std::remove((dir_ / "check").c_str());
    return bytes;
  }
  // An editor's save: the new version written beside, then moved over the old.
  void SaveOver(const std::string& path, const Bytes& bytes) {
    test::WriteFile(dir_ / "editor.tmp", bytes);
    ASSERT_EQ(0, std::rename((dir_ / "editor.tmp").c_str(), path.c_str()));
  }

  test::ScratchDir dir_;
  const Bytes original_ = test::RandomBytes(kBigBytes, 1);
};

TEST_F(SourceSafetyTest, ChangesDuringTheWorkKeepTheSource) {
  const Bytes appended = test::RandomBytes(777, 2);
  Bytes grown = original_;
  grown.insert(grown.end(), appended.begin(), appended.end());
  const Bytes saved = test::RandomBytes(5000, 3), later = test::RandomBytes(4000, 4);

  struct Case {
    const char* what;
    std::function<void(Meddler&)> meddle;
    Bytes sourceAfter;
  };
  const std::vector<Case> cases = {
      {"append while read",
       [&](Meddler& m) {
         m.duringRead = [&] {
           std::FILE* f = std::fopen(plain().c_str(), "ab");
           std::fwrite(appended.data(), 1, appended.size(), f);
           std::fclose(f);
         };
       },
       grown},
      {"editor's save while read", [&](Meddler& m) { m.duringRead = [&] { SaveOver(plain(), saved); }; },
       saved},
      {"another file in its place before the delete",
       [&](Meddler& m) { m.beforeDelete = [&] { SaveOver(plain(), later); }; }, later},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteFile(plain(), original_);
    Meddler meddler;
    c.meddle(meddler);
    const EncryptResult result = ReplaceWithEncrypted(plain(), Pw("pw"), Options(&meddler));
    EXPECT_EQ(Outcome::kSourceChanged, result.outcome);
    EXPECT_TRUE(result.outputKept);
    EXPECT_EQ(c.sourceAfter, test::ReadFile(plain()));
    // The .qz holds what was read: the start of the file, at least the original bytes.
    const Bytes inQz = Decrypted(qz());
    const bool startsWithOriginal =
        inQz.size() >= original_.size() && std::equal(original_.begin(), original_.end(), inQz.begin());
    EXPECT_TRUE(startsWithOriginal);
    EXPECT_FALSE(dir_.HasTemporaryFile());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "a.txt.qz"}), dir_.List());
    ASSERT_TRUE(DeleteFileWithRetry(qz()));
  }

  // Decryption likewise keeps a ".qz" that changed before it was deleted.
  test::WriteFile(plain(), original_);
  TransactionOptions keep = Options(nullptr);
  keep.keepSource = true;
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), keep).outcome);
  ASSERT_TRUE(DeleteFileWithRetry(plain()));
  const Bytes qzBytes = test::ReadFile(qz());
  Meddler meddler;
  meddler.beforeDelete = [&] { SaveOver(qz(), qzBytes); };  // same bytes, another file
  EXPECT_EQ(Outcome::kSourceChanged, ReplaceWithDecrypted(qz(), Pw("pw"), Options(&meddler)).outcome);
  EXPECT_EQ(qzBytes, test::ReadFile(qz()));
  EXPECT_EQ(original_, test::ReadFile(plain()));
}

// A file of the output's name that appears while the work runs, without consent to
// replace one, is never replaced: the run fails and leaves all three files.
TEST_F(SourceSafetyTest, DestinationThatAppearsDuringTheRunIsKept) {
  const Bytes appeared = test::RandomBytes(321, 5);
  test::WriteFile(plain(), original_);
  Meddler meddler;
  meddler.duringRead = [&] { test::WriteFile(qz(), appeared); };
  const EncryptResult encrypted = ReplaceWithEncrypted(plain(), Pw("pw"), Options(&meddler));
  EXPECT_EQ(Outcome::kFailed, encrypted.outcome);
  EXPECT_EQ(EncryptStep::kDestinationExists, encrypted.step);
  EXPECT_EQ(original_, test::ReadFile(plain()));
  EXPECT_EQ(appeared, test::ReadFile(qz()));
  EXPECT_FALSE(dir_.HasTemporaryFile());

  // Decrypting: the plain name appears after the header was read.
  TransactionOptions keep = Options(nullptr);
  keep.keepSource = true;
  keep.replaceExisting = true;
  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), keep).outcome);
  ASSERT_TRUE(DeleteFileWithRetry(plain()));
  const Bytes qzBytes = test::ReadFile(qz());
  meddler.duringRead = [&] { test::WriteFile(plain(), appeared); };
  const DecryptResult decrypted = ReplaceWithDecrypted(qz(), Pw("pw"), Options(&meddler));
  EXPECT_EQ(Outcome::kFailed, decrypted.outcome);
  EXPECT_EQ(DecryptStep::kDestinationExists, decrypted.step);
  EXPECT_EQ(qzBytes, test::ReadFile(qz()));
  EXPECT_EQ(appeared, test::ReadFile(plain()));
  EXPECT_FALSE(dir_.HasTemporaryFile());
  EXPECT_EQ((std::vector<std::string>{"a.txt", "a.txt.qz"}), dir_.List());
}


TEST_F(SourceSafetyTest, CancelledWorkLeavesEveryFileAsItWas) {
  test::WriteFile(plain(), original_);
  Meddler meddler;
  CancelToken stop;
  bool tempWasPrivate = false;
  meddler.duringRead = [&] {
    for (const std::string& name : dir_.List()) {
      struct stat st;
      if (IsTemporaryName(name) && ::stat((dir_ / name).c_str(), &st) == 0)
        tempWasPrivate = (st.st_mode & 0777) == 0600;
    }
    stop.Request();
  };
  TransactionOptions options = Options(&meddler);
  options.cipher.cancel = &stop;
  const EncryptResult result = ReplaceWithEncrypted(plain(), Pw("pw"), options);
  EXPECT_EQ(EncryptStep::kCancelled, result.step);
  EXPECT_TRUE(tempWasPrivate) << "a temporary output is readable by its owner only";
  EXPECT_EQ(std::vector<std::string>{"a.txt"}, dir_.List());
  EXPECT_EQ(original_, test::ReadFile(plain()));
}

TEST_F(SourceSafetyTest, OutputsCarryTimesAndPermissionBits) {
  test::WriteFile(plain(), test::RandomBytes(3000, 5));
  ASSERT_EQ(0, ::chmod(plain().c_str(), 0640));
  const timespec times[2] = {{1000000000, 0}, {1234567890, 123456789}};
  ASSERT_EQ(0, ::utimensat(AT_FDCWD, plain().c_str(), times, 0));
  auto statOf = [](const std::string& path) {
    struct stat st = {};
    EXPECT_EQ(0, ::stat(path.c_str(), &st)) << path;
    return st;
  };

  ASSERT_EQ(Outcome::kDone, ReplaceWithEncrypted(plain(), Pw("pw"), Options(nullptr)).outcome);
  struct stat st = statOf(qz());
  EXPECT_EQ(0440u, st.st_mode & 0777);
  EXPECT_EQ(1234567890, st.st_mtim.tv_sec);
  EXPECT_EQ(123456789, st.st_mtim.tv_nsec);

  ASSERT_EQ(Outcome::kDone, ReplaceWithDecrypted(qz(), Pw("pw"), Options(nullptr)).outcome);
  st = statOf(plain());
  EXPECT_EQ(0640u, st.st_mode & 0777);
  EXPECT_EQ(1234567890, st.st_mtim.tv_sec);
  EXPECT_EQ(123456789, st.st_mtim.tv_nsec);
}

// A signal that ends the process runs its handler on the thread that holds signals back
// around its file steps; a helper thread taking it could end the process halfway through
// them and leave an unfinished output behind.
TEST(HelperThreadsTest, NeverTakeTheProcesssSignals) {
  sigset_t before, inside, after;
  pthread_sigmask(SIG_SETMASK, nullptr, &before);
  SignalFreeThread([&] { pthread_sigmask(SIG_SETMASK, nullptr, &inside); }).join();
  pthread_sigmask(SIG_SETMASK, nullptr, &after);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) {
    EXPECT_TRUE(sigismember(&inside, sig)) << sig;
    EXPECT_EQ(sigismember(&after, sig), sigismember(&before, sig)) << sig;
  }
}

}  // namespace
}  // namespace qz
