// The window while a large file is worked on: it keeps answering (a probe sends WM_NULL
// every 20 ms from OK to the closing message), its progress window says where it is, and
// the mouse on "取消" (or Esc, or the close box) stops a file or a folder batch, leaving
// every file on disk whole.
// QZ_E2E_BUSY_MIB sets the large file's size (default 512 MiB, sparse on disk, but the
// probed one written to it); QZ_E2E_BUSY_STRONG probes a strong file instead;
// tests/bench/bench_busy_window.sh runs the probe at 2 GiB.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "window_test.h"

namespace qz::e2e {
namespace {

const std::string kFolder = "C:\\qz-e2e-busy";
const std::string kFolderItem = "Qz-e2e-busy";
constexpr int kProgressNameId = 1019;
constexpr int kProgressTextId = 1011;
constexpr int kProgressSpeedId = 1020;
constexpr int kProgressBatchId = 1021;
constexpr std::uint64_t kMiB = 1024 * 1024;

std::uint64_t LargeSize() {
  const char* mib = std::getenv("QZ_E2E_BUSY_MIB");
  const std::uint64_t value = mib ? std::strtoull(mib, nullptr, 10) : 0;
  return (value > 0 ? value : 512) * kMiB;
}

double MillisSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::uint64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A large file: 1 MiB of a pattern, then zeros to its size, on the disk only when written.
void MakeSparse(const std::string& path, std::uint64_t size, std::uint32_t seed, bool written = false) {
  MakeFile(path, PatternBytes(kMiB, seed));
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(written ? kMiB : size);
  EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file)) << path;
  const Bytes zeros(kMiB, 0);
  DWORD done = kMiB;
  for (std::uint64_t at = kMiB; written && at < size && done == kMiB; at += kMiB)
    WriteFile(file, zeros.data(), kMiB, &done, nullptr);
  EXPECT_TRUE(SizeOf(path) == size && (!written || FlushFileBuffers(file))) << path;
  CloseHandle(file);
}

// The file holds exactly what MakeSparse wrote, read to its end.
::testing::AssertionResult HoldsSparse(const std::string& path, std::uint64_t size, std::uint32_t seed) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  Bytes block(kMiB), expected = PatternBytes(kMiB, seed);
  std::uint64_t offset = 0;
  DWORD got = 0;
  while (ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got == kMiB &&
         block == expected) {
    offset += got;
    expected.assign(kMiB, 0);
  }
  CloseHandle(file);
  if (offset != size) return ::testing::AssertionFailure() << path << " differs from its original at MiB " << offset / kMiB;
  return ::testing::AssertionSuccess();
}

// WM_NULL to a window every 20 ms until Stop, timing each answer from started on.
class AnswerProbe {
 public:
  AnswerProbe(HWND window, std::chrono::steady_clock::time_point started)
      : thread_([this, window, started] {
          while (!stop_) {
            const double sent = MillisSince(started);
            DWORD_PTR ignored = 0;
            if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored)) ++unanswered;
            const double took = MillisSince(started) - sent;
            if (took > 30) std::printf("a slow answer, %.0f ms after OK: %.1f ms\n", sent, took);
            slowest = std::max(slowest, std::make_pair(took, sent));
            ++probes;
            Sleep(20);
          }
        }) {}
  void Stop() {
    stop_ = true;
    thread_.join();
  }

  std::pair<double, double> slowest{0, 0};  // ms, and when it was asked
  int probes = 0, unanswered = 0;

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: it starts once the rest is set up
};

bool HasTemporary(const std::string& folder) {
  for (const std::string& name : NamesIn(folder))
    if (name.rfind("~qz", 0) == 0) return true;
  return false;
}

class BusyWindowTest : public LockmereWindowTest {
 protected:
  void SetUp() override {
    RemoveTree(kFolder);  // what an interrupted run left
    MakeDir(kFolder);
    MakeDir(kFolder + "\\Batch");
  }

  void Open() {
    Launch();
    ASSERT_TRUE(DoubleClickItem(kFolderItem));
    ASSERT_TRUE(ShowsFolder(kFolder + "\\"));
  }

  void TearDown() override {
    LockmereWindowTest::TearDown();
    RemoveTree(kFolder);
  }

  // The visible progress window: owned by the main window, with the Cancel button.
  HWND ProgressWindow() {
    for (HWND w : TopLevelWindows(process_.id()))
      if (w != main_ && IsWindowVisible(w) && GetDlgItem(w, kProgressNameId) && GetDlgItem(w, IDCANCEL))
        return w;
    return nullptr;
  }

  // Clicks "取消" with the mouse; returns the milliseconds until the window is back:
  // the main window enabled again or the closing message up, whichever comes first.
  ::testing::AssertionResult ClickCancel(HWND progress, double* returned) {
    RECT rect{};
    if (!GetWindowRect(GetDlgItem(progress, IDCANCEL), &rect) || ControlText(progress, IDCANCEL) != "取消" ||
        IsWindowEnabled(main_))
      return ::testing::AssertionFailure() << "no button 取消, or the main window takes input while busy";
    const auto clicked = std::chrono::steady_clock::now();
    if (!LeftClickAt(Center(rect))) return ::testing::AssertionFailure() << "the click could not be sent";
    if (!WaitUntil([&] { return IsWindowEnabled(main_) || !Boxes().empty(); }, Millis(60000), Millis(1)))
      return ::testing::AssertionFailure() << "the window did not come back within a minute";
    *returned = MillisSince(clicked);
    return ::testing::AssertionSuccess();
  }

  // After the closing message: the window takes input again, with the keyboard in the list.
  ::testing::AssertionResult BackToNormal() {
    if (!WaitUntil([&] { return IsWindowEnabled(main_) && FocusOf(main_) == list_; }, kWindowTimeout))
      return ::testing::AssertionFailure() << "the main window is not enabled with the focus in its list";
    if (ProgressWindow()) return ::testing::AssertionFailure() << "the progress window stayed";
    // Nothing else is said after the one message.
    Sleep(500);
    if (!Boxes().empty()) return ::testing::AssertionFailure() << "another message: " << Boxes().front().text;
    return ::testing::AssertionSuccess();
  }
};

TEST_F(BusyWindowTest, TheWindowAnswersWithin100MsWhileALargeFileIsEncrypted) {
  const std::uint64_t size = LargeSize();
  MakeSparse(kFolder + "\\big.bin", size, 7, true);
  Open();
  ASSERT_TRUE(DoubleClickItem("Big.bin"));
  const bool strong = std::getenv("QZ_E2E_BUSY_STRONG") != nullptr;
  HWND dialog = nullptr;
  ASSERT_TRUE(OpenedPasswordDialog(true, &dialog));
  ASSERT_TRUE(SetStrongBox(dialog, strong));
  const auto started = std::chrono::steady_clock::now();

  AnswerProbe probe(main_, started);
  const bool confirmed = TypeAndConfirm(dialog, L"probe pw");
  // Meanwhile the progress window names the file and tells what is done of the whole, at
  // what speed, and how long the rest will take.
  HWND progress = nullptr;
  std::string amount, speed;
  const bool shown = WaitUntil([&] { return (progress = ProgressWindow()) != nullptr; }, kWindowTimeout);
  const bool counted = shown && WaitUntil(
                                    [&] {
                                      amount = ControlText(progress, kProgressTextId);
                                      speed = ControlText(progress, kProgressSpeedId);
                                      return (amount.find(" / 512.0 MB") != std::string::npos ||
                                              amount.find(" GB") != std::string::npos) &&
                                             amount.rfind("0%", 0) != 0 && speed.find("/秒，剩余时间 ") != std::string::npos;
                                    },
                                    kWindowTimeout);
  const std::string name = shown ? ControlText(progress, kProgressNameId) : "";
  RECT mainRect{}, progressRect{};
  const bool over = shown && GetWindowRect(main_, &mainRect) && GetWindowRect(progress, &progressRect) &&
                    PtInRect(&mainRect, Center(progressRect));
  const bool disabled = !IsWindowEnabled(main_);
  const bool ended = confirmed && WaitUntil([&] { return !Boxes().empty(); }, Millis(600000), Millis(5));
  const double seconds = MillisSince(started) / 1000;
  probe.Stop();

  EXPECT_TRUE(shown) << "no progress window";
  EXPECT_TRUE(counted) << "the progress window reads \"" << amount << "\", \"" << speed << "\"";
  EXPECT_EQ(name, "big.bin");
  EXPECT_TRUE(over) << "the progress window is not over the main window";
  EXPECT_TRUE(disabled) << "the main window takes input during the work";
  ASSERT_TRUE(ended) << "the encryption did not end";
  ASSERT_TRUE(Acknowledge("加密成功！"));
  std::printf("[ figure ] %llu MiB into %s in %.1f s; slowest of %d WM_NULL answers: %.1f ms, asked %.0f ms after OK, "
              "%.0f ms before the message\n", static_cast<unsigned long long>(size / kMiB), strong ? ".age" : ".qz",
              seconds, probe.probes, probe.slowest.first, probe.slowest.second, seconds * 1000 - probe.slowest.second);
  EXPECT_GE(probe.probes, 10) << "the work ended too soon to show anything";
  EXPECT_EQ(probe.unanswered, 0);
  EXPECT_LT(probe.slowest.first, 100.0);
  EXPECT_TRUE(strong || SizeOf(kFolder + "\\big.bin.qz") == size + 256);
  EXPECT_FALSE(Exists(kFolder + "\\big.bin"));
  EXPECT_TRUE(BackToNormal());
}

TEST_F(BusyWindowTest, CancelByMouseLeavesTheLargeFileAsItWas) {
  const std::uint64_t size = LargeSize();
  MakeSparse(kFolder + "\\big.bin", size, 11);
  Open();
  ASSERT_TRUE(DoubleClickItem("Big.bin"));
  ASSERT_TRUE(EnterPassword(true, L"cancel pw", StrongBox::kUnchecked));
  HWND progress = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (progress = ProgressWindow()) != nullptr; }, kWindowTimeout));
  // Cancelled in the middle: its unfinished output is on disk by then.
  ASSERT_TRUE(WaitUntil([&] { return HasTemporary(kFolder); }, kWindowTimeout)) << "no output is being written";
  double returned = 0;
  ASSERT_TRUE(ClickCancel(progress, &returned));
  std::printf("[ figure ] from the click on 取消 to the window's return: %.0f ms\n", returned);
  ASSERT_TRUE(Acknowledge("已取消：已完成 0 个文件，共 1 个。"));
  EXPECT_TRUE(BackToNormal());

  // Esc at the keyboard, and the main window's close box, cancel the same way: the
  // program stays, with the file as it was.
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "Esc");
    ASSERT_TRUE(DoubleClickItem("Big.bin"));
    ASSERT_TRUE(EnterPassword(true, L"cancel pw", StrongBox::kUnchecked));
    ASSERT_TRUE(WaitUntil([&] { return (progress = ProgressWindow()) != nullptr; }, kWindowTimeout));
    ASSERT_TRUE(closeBox ? CloseBox(main_) : PressKeyAtKeyboard(VK_ESCAPE));
    ASSERT_TRUE(Acknowledge("已取消：已完成 0 个文件，共 1 个。"));
    EXPECT_TRUE(BackToNormal());
    EXPECT_TRUE(process_.Running());
  }
  EXPECT_EQ(NamesIn(kFolder), (std::vector<std::string>{"Batch", "big.bin"}));
  EXPECT_TRUE(HoldsSparse(kFolder + "\\big.bin", size, 11));
  EXPECT_LT(returned, 2000.0);
}

TEST_F(BusyWindowTest, CancelInAFolderBatchKeepsFinishedFilesAndStopsTheRest) {
  // Every file takes long enough for a click to land while it is in hand.
  const std::string batch = kFolder + "\\Batch\\";
  const std::vector<std::string> names = {"f1.bin", "f2.bin", "f3.bin", "f4.bin", "f5.bin"};
  const std::uint64_t size = LargeSize() / 4;
  for (size_t i = 0; i < names.size(); ++i) MakeSparse(batch + names[i], size, 20 + 2 * i);
  Open();
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 0));
  ASSERT_TRUE(EnterPassword(true, L"batch pw", StrongBox::kUnchecked));
  HWND progress = nullptr;
  std::string position;
  ASSERT_TRUE(WaitUntil(
      [&] {
        progress = ProgressWindow();
        position = progress ? ControlText(progress, kProgressBatchId) : "";
        return position.rfind("第 3 个，共 5 个", 0) == 0;
      },
      Millis(120000), Millis(5)))
      << "the batch never showed its third file; last: \"" << position << "\"";
  double returned = 0;
  ASSERT_TRUE(ClickCancel(progress, &returned));
  ASSERT_TRUE(WaitUntil([&] { return !Boxes().empty(); }, Millis(60000))) << "no message after the cancel";

  // Each file is either encrypted whole or untouched; the message counts the former.
  int encrypted = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string plain = batch + names[i];
    if (Exists(plain + ".qz")) {
      ++encrypted;
      EXPECT_FALSE(Exists(plain)) << names[i] << " stayed beside its .qz";
      EXPECT_EQ(SizeOf(plain + ".qz"), size + 256) << names[i] << ".qz is not complete";
    } else {
      EXPECT_TRUE(HoldsSparse(plain, size, 20 + 2 * i));
    }
  }
  EXPECT_FALSE(HasTemporary(batch)) << "an unfinished output stayed";
  EXPECT_GE(encrypted, 2) << "the files before the third were not kept";
  EXPECT_LT(encrypted, 5) << "the batch did not stop";
  ASSERT_TRUE(Acknowledge("已取消：已完成 " + std::to_string(encrypted) + " 个文件，共 5 个。"));
  EXPECT_TRUE(BackToNormal());
}

// For tests/bench/bench_tree_window.sh only: a tree of QZ_E2E_TREE_FILES files of 4 KiB
// (default 10000) in QZ_E2E_TREE_FOLDERS folders (default 100) encrypted from the folder's
// context menu with "包括子文件夹" ticked, the window probed meanwhile.
TEST_F(BusyWindowTest, DISABLED_AWholeTreeFromTheContextMenu) {
  const auto setting = [](const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
  };
  const int files = setting("QZ_E2E_TREE_FILES", 10000), folders = setting("QZ_E2E_TREE_FOLDERS", 100);
  const Bytes block = PatternBytes(4096, 5);
  for (int i = 0; i < files; ++i) {
    const std::string group = kFolder + "\\Batch\\g" + std::to_string(i % folders % 10);
    const std::string folder = group + "\\f" + std::to_string(i % folders);
    if (i < 10 && i < folders) MakeDir(group);
    if (i < folders) MakeDir(folder);
    MakeFile(folder + "\\file " + std::to_string(i) + ".dat", block);
  }
  Open();
  ASSERT_TRUE(ChooseFromContextMenu("Batch", 0));
  HWND dialog = nullptr;
  ASSERT_TRUE(OpenedPasswordDialog(true, &dialog));
  ASSERT_TRUE(SetStrongBox(dialog, true, kWholeTreeBoxId));
  const auto started = std::chrono::steady_clock::now();
  AnswerProbe probe(main_, started);
  ASSERT_TRUE(TypeAndConfirm(dialog, L"tree pw"));
  // Looked for seldom: each look asks the window for its texts.
  const bool ended = WaitUntil([&] { return !Boxes().empty(); }, Millis(3600000), Millis(250));
  const double seconds = MillisSince(started) / 1000;
  probe.Stop();
  ASSERT_TRUE(ended && Acknowledge("目录加密完成！"));
  int encrypted = 0;
  for (int i = 0; i < files; ++i)
    encrypted += Exists(kFolder + "\\Batch\\g" + std::to_string(i % folders % 10) + "\\f" +
                        std::to_string(i % folders) + "\\file " + std::to_string(i) + ".dat.qz");
  std::printf("[ figure ] Lockmere.exe, a tree of %d files in %d folders from the context menu: %.2f s, %.2f ms per "
              "file (%d encrypted); slowest of %d WM_NULL answers %.1f ms, asked %.1f s after OK\n",
              files, folders, seconds, seconds * 1000 / files, encrypted, probe.probes, probe.slowest.first,
              probe.slowest.second / 1000);
  EXPECT_EQ(encrypted, files);
}

}  // namespace
}  // namespace qz::e2e
