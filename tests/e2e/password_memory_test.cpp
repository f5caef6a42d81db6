// No copy of a typed password outlives its use in the program: a strong file and a ".qz"
// file are each encrypted and decrypted with a password typed at the keyboard, and once
// every dialog and message is closed, password_memory.py reads the program's memory from
// Linux and counts the password's copies in every form. Run by that script only.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kFolder = "C:\\qz-e2e-memory";
// Its UTF-16, UTF-8 and code page 936 forms all differ, and none occurs by chance.
const std::wstring kPassword = L"Mem0ry-\u626B\u63CF-Probe-7fQ";
constexpr Millis kScanTimeout(300000);

std::string In(const std::string& name) { return kFolder + "\\" + name; }

class PasswordMemoryTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("QZ_E2E_MEMORY_SCAN"), nullptr) << "run by password_memory.py";
    RemoveTree(kFolder);
    MakeDir(kFolder);
    MakeFile(In("strong.txt"), PatternBytes(70000, 1));
    MakeFile(In("plain.txt"), PatternBytes(5000, 2));
    Launch();
    ASSERT_TRUE(DoubleClickItem("Qz-e2e-memory"));
    ASSERT_TRUE(ShowsFolder(kFolder + "\\"));
  }

  void TearDown() override {
    LockmereWindowTest::TearDown();
    RemoveTree(kFolder);
  }

  // Types the password into the dialog that opens now, as a person would, and confirms it.
  void TypeInto(bool encrypt, bool strong = false) {
    HWND dialog = nullptr;
    ASSERT_TRUE(OpenedPasswordDialog(encrypt, &dialog));
    ASSERT_TRUE(TypeAtKeyboard(encrypt ? kPassword + L"\t" + kPassword : kPassword));
    if (encrypt) {
      ASSERT_TRUE(SetStrongBox(dialog, strong));
    }
    if (strong) {
      // The field holds the password now: a scan that does not find it proves nothing.
      const std::string typed = Scan("with the password in its fields");
      ASSERT_EQ(typed.rfind("left:", 0), 0u) << "the typed password was not found in the program: " << typed;
    }
    ASSERT_TRUE(ClickButton(dialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kWindowTimeout));
  }

  // Has the script count the copies now, with the window idle; its verdict starts with
  // "clean:" when there are none.
  std::string Scan(const std::string& stage) {
    const std::string request = stage + "\n" + WideToUtf8(kPassword);
    DeleteFileW(Utf8ToWide(In("scan-done")).c_str());
    // Whole or not at all: the script may look at any moment.
    if (!WriteBytes(In("scan-request"), Bytes(request.begin(), request.end())) ||
        !MoveFileW(Utf8ToWide(In("scan-request")).c_str(), Utf8ToWide(In("scan-now")).c_str()))
      return "no request could be written";
    if (!WaitUntil([] { return Exists(In("scan-done")); }, kScanTimeout, Millis(200)))
      return "no answer from the script";
    const Bytes verdict = ReadBytes(In("scan-done"));
    return std::string(verdict.begin(), verdict.end());
  }
};

TEST_F(PasswordMemoryTest, NoCopyOfATypedPasswordStaysAfterItsUse) {
  ASSERT_TRUE(DoubleClickItem("Strong.txt"));
  ASSERT_NO_FATAL_FAILURE(TypeInto(true, true));
  ASSERT_TRUE(Acknowledge("加密成功！"));
  ASSERT_TRUE(DoubleClickItem("Strong.txt.age"));
  ASSERT_NO_FATAL_FAILURE(TypeInto(false));
  ASSERT_TRUE(Acknowledge("解密成功！"));
  const std::string strong = Scan("after a strong file");

  ASSERT_TRUE(DoubleClickItem("Plain.txt"));
  ASSERT_NO_FATAL_FAILURE(TypeInto(true, false));
  ASSERT_TRUE(Acknowledge("加密成功！"));
  ASSERT_TRUE(DoubleClickItem("Plain.txt.qz"));
  ASSERT_NO_FATAL_FAILURE(TypeInto(false));
  ASSERT_TRUE(Acknowledge("解密成功！"));
  const std::string qz = Scan("after a .qz file");

  EXPECT_EQ(strong.rfind("clean:", 0), 0u) << "after a strong file: " << strong;
  EXPECT_EQ(qz.rfind("clean:", 0), 0u) << "after a .qz file as well: " << qz;
  EXPECT_TRUE(HoldsExactly(In("strong.txt"), PatternBytes(70000, 1)));
  EXPECT_TRUE(HoldsExactly(In("plain.txt"), PatternBytes(5000, 2)));
}

}  // namespace
}  // namespace qz::e2e
