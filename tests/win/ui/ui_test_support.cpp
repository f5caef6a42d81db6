#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <thread>

#include "app.h"
#include "message_box.h"

namespace uitest {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  for (DWORD start = GetTickCount(); !done();) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    Sleep(10);
  }
  return true;
}

namespace {

HWND VisibleDialogOf(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM out) {
        wchar_t cls[16] = {};
        GetClassNameW(window, cls, 16);
        if (IsWindowVisible(window) && std::wstring(cls) == L"#32770") {
          *reinterpret_cast<HWND*>(out) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& script) {
  DWORD uiThread = GetCurrentThreadId();
  std::thread driver([&] {
    HWND window = nullptr;
    if (!WaitFor([&] { return (window = VisibleDialogOf(uiThread)) != nullptr; }, 10000)) {
      ADD_FAILURE() << "the dialog did not appear";
      return;
    }
    script(window);
    if (!WaitFor([&] { return !IsWindow(window); }, 5000)) {
      ADD_FAILURE() << "the script left the dialog open";
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
  });
  INT_PTR result = dialog.DoModal();
  driver.join();
  return result;
}

void Sync(HWND window) { SendMessageW(window, WM_NULL, 0, 0); }

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

std::wstring TextOf(HWND window) {
  wchar_t text[2048] = {};
  SendMessageW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text));
  return text;
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
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
