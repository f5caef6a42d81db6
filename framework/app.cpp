#include "app.h"

#include <commctrl.h>

#include "wnd.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

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
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
      ++i;  // a trail byte may equal '\\' or '.'
      continue;
    }
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
  char path[MAX_PATH * 2] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
  app->m_strAppName = AppNameFromModulePath(std::string(path, length));
}

int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  AfxInitApplication(app, instance);
  if (!app || !app->InitInstance()) return 0;
  return app->Run();
}
