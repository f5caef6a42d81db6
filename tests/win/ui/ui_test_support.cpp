#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app.h"
#include "message_box.h"
#include "product_address.h"
#include "program_hooks.h"
#include "support/wait.h"
#include "support/window_query.h"

namespace uitest {

using qz::wintest::FirstVisible;
using qz::wintest::kDialogClass;
using qz::wintest::Millis;
using qz::wintest::OfClass;
using qz::wintest::ThreadWindows;
using qz::wintest::WaitUntil;

INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& script) {
  DWORD uiThread = GetCurrentThreadId();
  std::thread driver([&] {
    HWND window = nullptr;
    const auto shown = [&] {
      window = FirstVisible(ThreadWindows(uiThread), OfClass(kDialogClass));
      return window != nullptr;
    };
    if (!WaitUntil(shown, Millis(10000))) {
      ADD_FAILURE() << "the dialog did not appear";
      return;
    }
    script(window);
    if (!WaitUntil([&] { return !IsWindow(window); }, Millis(5000))) {
      ADD_FAILURE() << "the script left the dialog open";
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
  });
  INT_PTR result = dialog.DoModal();
  driver.join();
  return result;
}

MessageBoxRecorder::MessageBoxRecorder() {
  SetMessageBoxHook([this](const MessageBoxRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.push_back(request.text);
    return IDOK;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHook(nullptr); }

std::vector<std::string> MessageBoxRecorder::Texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

}  // namespace uitest

namespace {
class TestApp : public CWinApp {};

// The window under test keeps its settings in an empty Lockmere.ini beside this program,
// as a portable copy does: what a run of Lockmere in the same prefix left in the user's
// application data (the strong box ticked) must not change what these tests expect.
void StartWithOwnSettings() {
  wchar_t exe[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path(exe, length);
  path.erase(path.find_last_of(L'\\') + 1);
  path += L"Lockmere.ini";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}
}  // namespace

int main(int argc, char** argv) {
  static TestApp app;
  AfxInitApplication(&app, GetModuleHandleW(nullptr));
  InstallProgramHooks();
  StartWithOwnSettings();
  // A closed loopback port: nothing here leaves the machine.
  SetProductHost("127.0.0.1:1");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
