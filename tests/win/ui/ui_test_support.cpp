#include "ui_test_support.h"

#include <gtest/gtest.h>

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
}  // namespace

int main(int argc, char** argv) {
  static TestApp app;
  AfxInitApplication(&app, GetModuleHandleW(nullptr));
  InstallProgramHooks();
  // A closed loopback port: nothing here leaves the machine.
  SetProductHost("127.0.0.1:1");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
