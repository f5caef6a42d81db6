// Times the main window's strong encryption of one file under Wine, the way a double-click
// runs it once the password is given: progress window, engine, replace transaction.
//
//   strong_bench.exe PATH   (under Wine with a display; PATH becomes PATH.age)
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app.h"
#include "file_browser_dlg.h"
#include "product_address.h"
#include "message_box.h"
#include "resource.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: strong_bench.exe PATH\n");
    return 2;
  }
  CWinApp app;
  AfxInitApplication(&app, GetModuleHandleW(nullptr));
  SetProductHost("127.0.0.1:9");
  int failures = 0;
  SetMessageBoxHook([&failures](const MessageBoxRequest& request) {
    std::fprintf(stderr, "message: %s\n", request.text.c_str());
    ++failures;
    return IDOK;
  });
  CFileBrowserDlg dialog;
  std::snprintf(dialog.m_szCurrentDir, sizeof(dialog.m_szCurrentDir), "C:\\");
  if (!dialog.Create(IDD_FILE_BROWSER)) return 1;
  // Inside a batch the window asks for no password once it has one, and shows no
  // closing message: what is timed is the operation alone.
  dialog.m_bBatch = TRUE;
  dialog.m_bStrongEncryption = TRUE;
  dialog.m_strStrongPassword = "bench password";
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  dialog.EncryptOneFile(argv[1]);
  QueryPerformanceCounter(&end);
  dialog.m_bBatch = FALSE;
  dialog.DestroyWindow();
  std::printf("Lockmere.exe strong encryption: %.3f s\n",
              double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  return failures == 0 ? 0 : 1;
}
