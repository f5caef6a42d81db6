// The ".qz" layout and the block loop: sizes, the final flag, buffer sizes and
// progress.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/fault_injection.h"
#include "fs/file_system.h"
#include "qz/file_cipher.h"
#include "qz/header.h"
#include "test_password.h"
#include "test_support.h"

namespace qz {
namespace {

using test::Bytes;
using test::CipherCall;

CipherOptions Portable(std::size_t ioBufferBytes = 256 * 1024) {
  CipherOptions options;
  options.backend = &PortableBackend();
  // These files are named freely, not after the plain file each one holds.
  options.acceptOtherName = true;
  options.ioBufferBytes = ioBufferBytes;
  return options;
}

class FormatTest : public ::testing::Test {
 protected:
  std::string Plain(std::size_t size, std::uint32_t seed = 1) {
    const std::string path = dir_ / ("plain-" + std::to_string(size));
    test::WriteFile(path, test::RandomBytes(size, seed));
    return path;
  }
  test::ScratchDir dir_;
};

TEST_F(FormatTest, RoundTripOfBlockBoundarySizes) {
  for (std::size_t size : {0u, 999u, 1000u, 1001u, 2500u, 3000u, 501000u}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string plain = Plain(size, static_cast<std::uint32_t>(size));
    const Bytes original = test::ReadFile(plain);
    ASSERT_EQ(EncryptStep::kOk, EncryptFileData(plain, plain + ".qz", Pw("pw"), Portable()));
    const Bytes qz = test::ReadFile(plain + ".qz");
    ASSERT_EQ(size + kHeaderBytes, qz.size());

    // Header and body both start at key-stream byte 0: over the name and its
    // terminator, the two key streams agree.
    const std::string name = "plain-" + std::to_string(size);
    for (std::size_t i = 0; i < std::min(size, name.size() + 1); ++i) {
      const std::uint8_t known = i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0;
      ASSERT_EQ(qz[i] ^ known, qz[kHeaderBytes + i] ^ original[i]) << "byte " << i;
    }

    ASSERT_EQ(DecryptStep::kOk, DecryptFileData(plain + ".qz", dir_ / "back", Pw("pw"), Portable()));
    EXPECT_EQ(original, test::ReadFile(dir_ / "back"));

    // Same password, same bytes, but for the header's random filler after the name.
    ASSERT_EQ(EncryptStep::kOk, EncryptFileData(plain, dir_ / "again.qz", Pw("pw"), Portable()));
    const Bytes again = test::ReadFile(dir_ / "again.qz");
    ASSERT_EQ(qz.size(), again.size());
    EXPECT_TRUE(std::equal(qz.begin(), qz.begin() + name.size() + 1, again.begin()));
    EXPECT_TRUE(std::equal(qz.begin() + kHeaderBytes, qz.end(), again.begin() + kHeaderBytes));
    if (size > 0) {
      ASSERT_EQ(EncryptStep::kOk, EncryptFileData(plain, dir_ / "other.qz", Pw("pw2"), Portable()));
      const Bytes other = test::ReadFile(dir_ / "other.qz");
      EXPECT_FALSE(std::equal(qz.begin() + kHeaderBytes, qz.end(), other.begin() + kHeaderBytes));
    }
  }
}

// Knowing a file's name (and so its header's plaintext as an older writer made it:
// the name, a NUL, zeros) reveals the key stream, and the body, only over the name
// and its terminator: the filler after them is random.
TEST_F(FormatTest, KnownNameRevealsOnlyItsOwnLength) {
  const std::string plain = Plain(kHeaderBytes, 4);
  const Bytes original = test::ReadFile(plain);
  const std::string name = "plain-256";
  std::vector<Bytes> fillers;
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(EncryptStep::kOk, EncryptFileData(plain, plain + ".qz", Pw("pw"), Portable()));
    const Bytes qz = test::ReadFile(plain + ".qz");
    std::size_t revealed = 0;
    for (std::size_t i = 0; i < kHeaderBytes; ++i) {
      const std::uint8_t guess = i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0;
      if ((qz[i] ^ guess ^ qz[kHeaderBytes + i]) == original[i]) ++revealed;
      if (i <= name.size()) {
        EXPECT_EQ(original[i], qz[i] ^ guess ^ qz[kHeaderBytes + i]) << i;
      }
    }
    // The name and its NUL; past them a guess hits one byte in 256.
    EXPECT_LT(revealed, name.size() + 1 + 12);
    fillers.emplace_back(qz.begin() + name.size() + 1, qz.begin() + kHeaderBytes);
  }
  EXPECT_NE(fillers[0], fillers[1]);
}

TEST_F(FormatTest, QzShorterThanHeaderIsRefusedAndKept) {
  for (std::size_t size : {0u, 1u, 100u, 255u}) {
    const std::string qz = dir_ / ("short-" + std::to_string(size) + ".qz");
    const Bytes bytes = test::RandomBytes(size, 3);
    test::WriteFile(qz, bytes);
    EXPECT_EQ(DecryptStep::kReadHeader, DecryptFileData(qz, dir_ / "out", Pw("pw"), Portable())) << size;
    EXPECT_EQ(DecryptStep::kReadHeader, CheckPassword(qz, Pw("pw"), Portable())) << size;
    EXPECT_FALSE(PathExists(dir_ / "out")) << size;
    EXPECT_EQ(bytes, test::ReadFile(qz)) << size;
  }
  // Exactly a header: an empty plain file.
  const std::string qz = dir_ / "empty.qz";
  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(Plain(0), qz, Pw("pw"), Portable()));
  EXPECT_EQ(DecryptStep::kOk, DecryptFileData(qz, dir_ / "out", Pw("pw"), Portable()));
  EXPECT_TRUE(test::ReadFile(dir_ / "out").empty());
}

struct FinalFlagCase {
  std::size_t size;
  std::vector<CipherCall> body;
};

TEST_F(FormatTest, FinalFlagGoesWithTheReadThatMeetsTheEnd) {
  const std::vector<FinalFlagCase> cases = {
      {3000, {{1000, false}, {1000, false}, {1000, false}, {0, true}}},
      {2500, {{1000, false}, {1000, false}, {500, true}}},
      {0, {{0, true}}},
      {999, {{999, true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("size " + std::to_string(c.size));
    std::vector<CipherCall> expected = {{kHeaderBytes, true}};
    expected.insert(expected.end(), c.body.begin(), c.body.end());
    const std::string plain = Plain(c.size);

    test::RecordingBackend recorder(PortableBackend());
    CipherOptions options = Portable(1000);
    options.backend = &recorder;
    ASSERT_EQ(EncryptStep::kOk, EncryptFileData(plain, plain + ".qz", Pw("pw"), options));
    EXPECT_EQ(expected, recorder.calls());

    recorder.calls().clear();
    ASSERT_EQ(DecryptStep::kOk, DecryptFileData(plain + ".qz", dir_ / "back", Pw("pw"), options));
    EXPECT_EQ(expected, recorder.calls());
    EXPECT_EQ(test::ReadFile(plain), test::ReadFile(dir_ / "back"));
  }
}

TEST_F(FormatTest, BufferSizeNeverChangesTheBytes) {
  for (std::size_t size : {2500u, 262145u, 501000u}) {
    const std::string plain = Plain(size, 77);
    std::vector<Bytes> outputs;
    for (std::size_t buffer : {1000u, 1u, 7u, 4096u, 256u * 1024u, 1024u * 1024u}) {
      const std::string qz = dir_ / ("b" + std::to_string(buffer) + ".qz");
      ASSERT_EQ(EncryptStep::kOk, EncryptFileData(plain, qz, Pw("pw"), Portable(buffer)));
      outputs.push_back(test::ReadFile(qz));
      ASSERT_EQ(DecryptStep::kOk, DecryptFileData(qz, dir_ / "back", Pw("pw"), Portable(buffer)));
      EXPECT_EQ(test::ReadFile(plain), test::ReadFile(dir_ / "back")) << "buffer " << buffer;
    }
    // The same bytes but for the header's random filler after the name and its NUL.
    const std::size_t named = std::string("plain-" + std::to_string(size)).size() + 1;
    for (const Bytes& out : outputs) {
      ASSERT_EQ(outputs.front().size(), out.size());
      EXPECT_TRUE(std::equal(out.begin(), out.begin() + named, outputs.front().begin())) << size;
      EXPECT_TRUE(std::equal(out.begin() + kHeaderBytes, out.end(), outputs.front().begin() + kHeaderBytes))
          << "size " << size;
    }
  }
}

class RecordingProgress final : public ProgressSink {
 public:
  void Begin(std::uint64_t range) override {
    ++begins;
    this->range = range;
    EXPECT_EQ(0, ends);
  }
  void Advance(std::uint64_t steps) override {
    EXPECT_EQ(1, begins) << "advance before begin";
    EXPECT_EQ(0, ends) << "advance after end";
    advanced += steps;
  }
  void End() override { ++ends; }

  int begins = 0;
  int ends = 0;
  std::uint64_t range = 0;
  std::uint64_t advanced = 0;
};

TEST_F(FormatTest, ProgressOnlyFrom501Blocks) {
  for (std::size_t buffer : {1000u, 256u * 1024u}) {
    for (std::size_t size : {500999u, 501000u, 501999u, 1000000u}) {
      SCOPED_TRACE("size " + std::to_string(size) + ", buffer " + std::to_string(buffer));
      const std::string plain = Plain(size);
      RecordingProgress encrypting;
      CipherOptions options = Portable(buffer);
      options.progress = &encrypting;
      options.sizeHint = size;
      ASSERT_EQ(EncryptStep::kOk, EncryptFileData(plain, plain + ".qz", Pw("pw"), options));

      RecordingProgress decrypting;
      options.progress = &decrypting;
      ASSERT_EQ(DecryptStep::kOk, DecryptFileData(plain + ".qz", dir_ / "back", Pw("pw"), options));

      for (const RecordingProgress* p : {&encrypting, &decrypting}) {
        if (size < 501000) {
          EXPECT_EQ(0, p->begins);
          EXPECT_EQ(0, p->ends);
          EXPECT_EQ(0u, p->advanced);
        } else {
          EXPECT_EQ(1, p->begins);
          EXPECT_EQ(1, p->ends);
          EXPECT_EQ(size / 1000, p->range);
          // One step per 1000-byte block and one for the last, maybe empty, block.
          EXPECT_EQ(size / 1000 + 1, p->advanced);
        }
      }
    }
  }
}

TEST_F(FormatTest, ProgressRangeIsNotTruncated) {
  const std::string plain = Plain(3000);
  RecordingProgress progress;
  CipherOptions options = Portable(1000);
  options.progress = &progress;
  options.sizeHint = 5000000000ull;
  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(plain, plain + ".qz", Pw("pw"), options));
  EXPECT_EQ(5000000u, progress.range);
  EXPECT_EQ(1, progress.ends);
  // 65,536,000 bytes: exactly 2^16 blocks.
  EXPECT_EQ(65536u, ProgressRange(65536000ull));
  EXPECT_EQ(0u, ProgressRange(500999));
  EXPECT_EQ(501u, ProgressRange(501000));
}

TEST_F(FormatTest, ProgressEndsOnFailure) {
  const std::string plain = Plain(600000);
  RecordingProgress progress;
  CipherOptions options = Portable(1000);
  options.progress = &progress;
  options.sizeHint = 600000;
  testing::ArmFault(FaultPoint::kWrite, 10);  // a body block
  EXPECT_EQ(EncryptStep::kWriteBlock, EncryptFileData(plain, plain + ".qz", Pw("pw"), options));
  testing::DisarmAllFaults();
  EXPECT_EQ(1, progress.begins);
  EXPECT_EQ(1, progress.ends);
  EXPECT_FALSE(dir_.HasTemporaryFile());
}

}  // namespace
}  // namespace qz
