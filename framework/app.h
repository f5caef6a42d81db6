// The application object: one global instance per program, started by AfxWinMain.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CWnd;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Runs the program. Returning false ends the process without a message loop.
  virtual BOOL InitInstance();
  // The message loop for programs that return true from InitInstance.
  virtual int Run();

  HINSTANCE m_hInstance = nullptr;
  // The executable's file name without its extension, in the ANSI code page.
  std::string m_strAppName;
  CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
// The application's name; "" before start-up.
const std::string& AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();
HWND AfxGetMainWndHandle();

// Start-up shared by the program and by tests that need an application object: error
// mode, application name, common controls.
void AfxInitApplication(CWinApp* app, HINSTANCE instance);
// The program's entry: AfxInitApplication, then InitInstance and, if it returns true, Run.
int AfxWinMain(HINSTANCE instance);

// The program's arguments after its own name, as the system splits its command line
// (quotes group words; "" gives nothing).
std::vector<std::wstring> AfxCommandLineArguments();

// Control containment and 3-D control drawing are the system's own since common
// controls 6; these remain as the start-up steps that ask for them.
void AfxEnableControlContainer();
void Enable3dControls();

// The base name of an executable path without its extension ("C:\\x\\Lockmere.exe" gives
// "Lockmere"); bytes in the ANSI code page, double-byte characters respected.
std::string AppNameFromModulePath(const std::string& path);
