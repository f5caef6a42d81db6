// Strong files crossing with Debian's age in both directions, a UTF-8 password with
// Chinese characters, binary and armored. age reads a passphrase only from its
// terminal: terminal_password.py types it there.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "age/strong_file.h"
#include "test_password.h"
#include "test_support.h"

namespace qz {
namespace {

using test::Bytes;

constexpr char kPassword[] = "\xE5\xBC\xBA\xE5\xAF\x86\xE7\xA0\x81 pass";  // 强密码 pass

bool AgeInstalled() { return std::system("command -v age >/dev/null 2>&1") == 0; }

// age's exit status.
int RunAge(const std::string& password, const std::string& arguments) {
  const std::string cmd = "TTY_PASSWORD=" + test::ShellQuote(password) + " python3 " +
                          test::ShellQuote(QZ_TERMINAL_PASSWORD) + " age " + arguments +
                          " </dev/null >/dev/null";
  const int status = std::system(cmd.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(AgeInterop, FilesCrossBothWays) {
  if (!AgeInstalled()) GTEST_SKIP() << "Debian's age is not installed";
  test::ScratchDir dir;
  const Bytes plain = test::RandomBytes(3 * 65536 + 17, 21);
  const std::string source = dir / "plain";
  test::WriteFile(source, plain);
  auto quoted = [&](const std::string& name) { return test::ShellQuote(dir / name); };

  CipherOptions options;
  options.workFactor = 10;
  ASSERT_EQ(EncryptStep::kOk, EncryptStrongFile(source, dir / "ours.age", Pw(kPassword), options));
  ASSERT_EQ(0, RunAge(kPassword, "-d -o " + quoted("by-age") + " " + quoted("ours.age")));
  EXPECT_EQ(plain, test::ReadFile(dir / "by-age"));
  EXPECT_NE(0, RunAge("wrong", "-d -o " + quoted("nothing") + " " + quoted("ours.age")));

  for (const std::string armor : {"", "-a "}) {
    SCOPED_TRACE(armor.empty() ? "binary" : "armored");
    const std::string theirs = dir / ("theirs" + std::to_string(armor.size()));
    ASSERT_EQ(0, RunAge(kPassword, "-p " + armor + "-o " + test::ShellQuote(theirs) + " " + quoted("plain")));
    int found = 0;
    CipherOptions reading;
    reading.workFactorFound = &found;
    EXPECT_EQ(DecryptStep::kWrongPassword, CheckStrongPassword(theirs, Pw("\xE5\xBC\xBA"), reading));
    ASSERT_EQ(DecryptStep::kOk, DecryptStrongFile(theirs, dir / "by-us", Pw(kPassword), reading));
    EXPECT_EQ(kStrongWorkFactor, found);  // what age writes too
    EXPECT_EQ(plain, test::ReadFile(dir / "by-us"));
    std::remove((dir / "by-us").c_str());
  }
}

}  // namespace
}  // namespace qz
