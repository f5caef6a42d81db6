// No copy of a typed password outlives its use in the program: a strong file and a ".qz"
// file are each encrypted and decrypted with a password typed at the keyboard, and once
// every dialog and message is closed, the program's memory holds it in no form.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kFolder = "C:\\qz-e2e-memory";
// Its UTF-16, UTF-8 and code page 936 forms all differ, and none occurs by chance.
const std::wstring kPassword = L"Mem0ry-\u626B\u63CF-Probe-7fQ";

std::string In(const std::string& name) { return kFolder + "\\" + name; }

// Copies of needle in the committed, readable memory of process.
int CopiesIn(HANDLE process, const std::string& needle) {
  int copies = 0;
  std::vector<char> block;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQueryEx(process, at, &region, sizeof region);
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State != MEM_COMMIT || !region.Protect || (region.Protect & (PAGE_NOACCESS | PAGE_GUARD))) continue;
    block.resize(region.RegionSize);
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, region.BaseAddress, block.data(), block.size(), &read)) continue;
    const auto end = block.begin() + static_cast<std::ptrdiff_t>(read);
    for (auto it = block.begin(); (it = std::search(it, end, needle.begin(), needle.end())) != end; ++it) ++copies;
  }
  return copies;
}

std::string InCodePage936(const std::wstring& text) {
  std::string bytes(text.size() * 2, '\0');
  bytes.resize(WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                                   static_cast<int>(bytes.size()), nullptr, nullptr));
  return bytes;
}

class PasswordMemoryTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
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

  // The password's copies in each form, from its ninth character on: a freed heap block's
  // first bytes are the heap's own links.
  std::string Copies() {
    const std::wstring tail = kPassword.substr(8);
    const std::string utf16(reinterpret_cast<const char*>(tail.data()), tail.size() * sizeof(wchar_t));
    return "UTF-16 " + std::to_string(CopiesIn(process_.handle(), utf16)) + ", UTF-8 " +
           std::to_string(CopiesIn(process_.handle(), WideToUtf8(tail))) + ", code page 936 " +
           std::to_string(CopiesIn(process_.handle(), InCodePage936(tail)));
  }

  // Types the password into the dialog that opens now, as a person would, and confirms it.
  void TypeInto(bool encrypt, bool strong) {
    HWND dialog = nullptr;
    ASSERT_TRUE(OpenedPasswordDialog(encrypt, &dialog));
    ASSERT_TRUE(TypeAtKeyboard(encrypt ? kPassword + L"\t" + kPassword : kPassword));
    if (encrypt) {
      ASSERT_TRUE(SetStrongBox(dialog, strong));
      // While the fields hold it, the count must see it: otherwise a clean count proves nothing.
      EXPECT_NE(Copies().rfind("UTF-16 0,", 0), 0u) << "the typed password was not found in the program";
    }
    ASSERT_TRUE(ClickButton(dialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kWindowTimeout));
  }
};

TEST_F(PasswordMemoryTest, NoCopyOfATypedPasswordStaysAfterItsUse) {
  for (const bool strong : {true, false}) {
    const std::string name = strong ? "Strong.txt" : "Plain.txt";
    ASSERT_TRUE(DoubleClickItem(name));
    ASSERT_NO_FATAL_FAILURE(TypeInto(true, strong));
    ASSERT_TRUE(Acknowledge("加密成功！"));
    ASSERT_TRUE(DoubleClickItem(name + (strong ? ".age" : ".qz")));
    ASSERT_NO_FATAL_FAILURE(TypeInto(false, strong));
    ASSERT_TRUE(Acknowledge("解密成功！"));
    const std::string left = Copies();
    std::printf("password copies after a %s file: %s\n", strong ? "strong" : ".qz", left.c_str());
    EXPECT_EQ(left, "UTF-16 0, UTF-8 0, code page 936 0") << (strong ? "after a strong file" : "after a .qz file");
  }
  EXPECT_TRUE(HoldsExactly(In("strong.txt"), PatternBytes(70000, 1)));
  EXPECT_TRUE(HoldsExactly(In("plain.txt"), PatternBytes(5000, 2)));
}

}  // namespace
}  // namespace qz::e2e
