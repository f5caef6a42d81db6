#include "main_app.h"

#include "file_browser_dlg.h"

CMainApp theApp;

BOOL CMainApp::InitInstance() {
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
