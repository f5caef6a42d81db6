#include "link_test_support.h"

#include <gtest/gtest.h>

#include "message_box.h"

namespace linktest {

RecordedLinkCalls::RecordedLinkCalls() : saved_(LinkCalls()) {
  LinkCalls().shellExecute = [this](HWND, const char* verb, const char* file,
                                    const char* parameters, const char* directory, int show) {
    shell.push_back({verb ? verb : "", file ? file : "", parameters != nullptr,
                     directory != nullptr, show});
    return reinterpret_cast<HINSTANCE>(shellResult);
  };
  LinkCalls().winExec = [this](const char* commandLine, UINT show) {
    exec.push_back({commandLine, show});
    return execResult;
  };
  LinkCalls().showHelp = [this](HWND, ULONG_PTR context, UINT command) {
    help.push_back({context, command});
  };
}

RecordedLinkCalls::~RecordedLinkCalls() { LinkCalls() = saved_; }

TestClassesRoot::TestClassesRoot() {
  path_ = "Software\\LockmereAboutTests\\Classes" + std::to_string(GetCurrentProcessId());
  RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &root_, nullptr) != ERROR_SUCCESS)
    return;
  ok_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, root_) == ERROR_SUCCESS;
}

TestClassesRoot::~TestClassesRoot() {
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  if (root_) RegCloseKey(root_);
  RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\LockmereAboutTests");
}

void TestClassesRoot::SetDefault(const std::string& subKey, const char* value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root_, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  if (value)
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
  RegCloseKey(key);
}

void TestClassesRoot::SetNamed(const std::string& subKey, const char* name, const char* value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root_, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>(strlen(value) + 1));
  RegCloseKey(key);
}

RecordedBoxes::RecordedBoxes() {
  SetMessageBoxHook([this](const MessageBoxRequest& request) {
    boxes.push_back({request.text, request.type});
    return IDOK;
  });
}

RecordedBoxes::~RecordedBoxes() { SetMessageBoxHook(nullptr); }

ColourAnswer AskColour(HWND dialog, HWND control) {
  HDC dc = CreateCompatibleDC(nullptr);
  // Start from values the control must change.
  SetTextColor(dc, RGB(1, 2, 3));
  SetBkMode(dc, OPAQUE);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  ColourAnswer answer = {brush, GetTextColor(dc), GetBkMode(dc)};
  DeleteDC(dc);
  return answer;
}

RECT RectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE TextExtent(HFONT font, const std::string& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return size;
}

}  // namespace linktest
