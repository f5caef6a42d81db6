#include "main_app.h"

#include <string>
#include <utility>
#include <vector>

#include "file_browser_dlg.h"
#include "product_address.h"
#include "program_hooks.h"

CMainApp theApp;

BOOL CMainApp::InitInstance() {
  InstallProgramHooks();
  SetProductHost(QZ_PRODUCT_HOST);
  AfxEnableControlContainer();
  Enable3dControls();
  {
    CFileBrowserDlg dialog;
    // "Send To" and a drop on the program's icon start it with paths, relative ones
    // against the folder it was started in.
    std::vector<std::wstring> paths;
    for (const std::wstring& argument : AfxCommandLineArguments()) {
      const std::wstring full = CFileBrowserDlg::FullPathOf(argument);
      paths.push_back(full.empty() ? argument : full);
    }
    dialog.StartWith(std::move(paths));
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
  }
  // No message loop of our own: the process ends with the main window.
  return FALSE;
}
