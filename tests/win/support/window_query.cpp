#include "support/window_query.h"

#include "support/text.h"

namespace qz::wintest {

namespace {

constexpr UINT kSendTimeoutMs = 5000;

struct Collected {
  DWORD pid;  // 0: every window enumerated
  std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  auto* collected = reinterpret_cast<Collected*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (collected->pid == 0 || owner == collected->pid) collected->windows.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid) {
  Collected collected{pid, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&collected));
  return collected.windows;
}

std::vector<HWND> ThreadWindows(DWORD thread) {
  Collected collected{0, {}};
  EnumThreadWindows(thread, Collect, reinterpret_cast<LPARAM>(&collected));
  return collected.windows;
}

HWND FirstVisible(const std::vector<HWND>& windows, const std::function<bool(HWND)>& match) {
  for (HWND window : windows)
    if (IsWindowVisible(window) && match(window)) return window;
  return nullptr;
}

std::function<bool(HWND)> OfClass(const std::string& name) {
  return [name](HWND window) { return ClassName(window) == name; };
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length))
    return {};
  std::wstring buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                           reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &copied))
    return {};
  buffer.resize(copied);
  return buffer;
}

std::string WindowText(HWND window) { return WideToUtf8(TextOf(window)); }

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? WindowText(control) : std::string();
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

}  // namespace qz::wintest
