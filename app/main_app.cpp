#include "main_app.h"

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
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
  }
  // No message loop of our own: the process ends with the main window.
  return FALSE;
}
