// Times folder batches of the main window under Wine: encrypting every file of a folder
// of SMALL and of LARGE files of 4 KiB through the context menu's command, and prints the
// ratio of the two times and the time per file. A batch that costs O(n) gives a ratio
// near LARGE / SMALL; one that refreshes the list after every file grows quadratically.
//
//   batch_bench.exe [SMALL] [LARGE]   (under Wine with a display)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app.h"
#include "bench_prompts.h"
#include "file_browser_dlg.h"
#include "file_session.h"
#include "message_box.h"
#include "product_address.h"
#include "resource.h"

namespace {

constexpr char kRoot[] = "C:\\lockmere-batch-bench\\";

void MakeFolder(const std::string& folder, int files) {
  CreateDirectoryA(folder.c_str(), nullptr);
  char block[4096];
  for (size_t i = 0; i < sizeof(block); ++i) block[i] = static_cast<char>(i * 7);
  for (int i = 0; i < files; ++i) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof(path), "%sfile %05d.dat", folder.c_str(), i);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
      WriteFile(file, block, sizeof(block), &written, nullptr);
      CloseHandle(file);
    }
  }
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\");
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

int CountEncrypted(const std::string& folder) {
  int count = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*.qz").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do ++count; while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

// Seconds for encrypting the folder named name inside kRoot, as the context menu's
// command on it runs.
double TimeBatch(CFileBrowserDlg& dialog, const char* name) {
  dialog.SetCurrentFolderUnlisted(kRoot);
  dialog.RefreshListing();
  BenchPrompts prompts(dialog, "bench password", false);
  qzops::FileSession session(prompts, prompts.Settings());
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  session.RunFolder(std::string(kRoot) + name + "\\", qzops::FileCommand::kEncrypt);
  QueryPerformanceCounter(&end);
  return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  int small = argc > 1 ? std::atoi(argv[1]) : 200;
  int large = argc > 2 ? std::atoi(argv[2]) : 2000;
  CWinApp app;
  AfxInitApplication(&app, GetModuleHandleW(nullptr));
  SetProductHost("127.0.0.1:9");
  SetMessageBoxHook([](const MessageBoxRequest& request) {
    if (request.text != "目录加密完成！") std::fprintf(stderr, "message: %s\n", request.text.c_str());
    return IDOK;
  });

  RemoveTree(kRoot);
  CreateDirectoryA(kRoot, nullptr);
  MakeFolder(std::string(kRoot) + "Small\\", small);
  MakeFolder(std::string(kRoot) + "Large\\", large);

  CFileBrowserDlg dialog(kRoot);
  if (!dialog.Create(IDD_FILE_BROWSER)) return 1;
  double smallTime = TimeBatch(dialog, "Small");
  double largeTime = TimeBatch(dialog, "Large");
  int smallDone = CountEncrypted(std::string(kRoot) + "Small\\");
  int largeDone = CountEncrypted(std::string(kRoot) + "Large\\");
  dialog.DestroyWindow();
  RemoveTree(kRoot);

  std::printf("batch %5d files: %7.2f s, %.2f ms per file (%d encrypted)\n", small, smallTime,
              smallTime * 1000 / small, smallDone);
  std::printf("batch %5d files: %7.2f s, %.2f ms per file (%d encrypted)\n", large, largeTime,
              largeTime * 1000 / large, largeDone);
  std::printf("ratio %d/%d: %.1f\n", large, small, largeTime / smallTime);
  return smallDone == small && largeDone == large ? 0 : 1;
}
