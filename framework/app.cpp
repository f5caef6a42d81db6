#include "app.h"

#include <commctrl.h>
#include <shellapi.h>

#include "message_box.h"
#include "text_conversion.h"
#include "wnd.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() {
  g_app = this;
  SetMessageBoxApplication(&AfxGetAppName, &AfxGetMainWndHandle);
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!CWnd::WalkPreTranslateTree(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

CWinApp* AfxGetApp() { return g_app; }

const std::string& AfxGetAppName() {
  static const std::string empty;
  return g_app ? g_app->m_strAppName : empty;
}

HINSTANCE AfxGetInstanceHandle() {
  return g_app && g_app->m_hInstance ? g_app->m_hInstance : GetModuleHandleW(nullptr);
}

HWND AfxGetMainWndHandle() {
  return g_app && g_app->m_pMainWnd ? g_app->m_pMainWnd->m_hWnd : nullptr;
}

std::string AppNameFromModulePath(const std::string& path) {
  size_t nameStart = 0;
  size_t dot = std::string::npos;
  // UTF-8: no byte of a character beyond ASCII equals '\\' or '.'.
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '\\' || c == '/' || c == ':') {
      nameStart = i + 1;
      dot = std::string::npos;
    } else if (c == '.') {
      dot = i;
    }
  }
  size_t end = dot == std::string::npos ? path.size() : dot;
  return path.substr(nameStart, end - nameStart);
}

std::vector<std::wstring> AfxCommandLineArguments() {
  std::vector<std::wstring> arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return arguments;
  for (int i = 1; i < count; ++i)
    if (argv[i][0] != L'\0') arguments.emplace_back(argv[i]);
  LocalFree(argv);
  return arguments;
}

void AfxEnableControlContainer() {}
void Enable3dControls() {}

void AfxInitApplication(CWinApp* app, HINSTANCE instance) {
  // A drive without a medium must simply fail to be read, without a system error box.
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES |
                                                         ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  if (!app) return;
  app->m_hInstance = instance;
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  app->m_strAppName = AppNameFromModulePath(WideToUtf8(std::wstring(path, length)));
}

int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  AfxInitApplication(app, instance);
  if (!app || !app->InitInstance()) return 0;
  return app->Run();
}
