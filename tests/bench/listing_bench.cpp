// Times the main window's folder listing under Wine for a folder of 1,000 and one of
// 10,000 files and prints the ratio of the two times. A listing that sorts in
// O(n log n) gives a ratio near 10 to 13; a quadratic sort gives about 100.
//
//   listing_bench.exe [SMALL] [LARGE]   (under Wine with a display)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app.h"
#include "file_browser_dlg.h"
#include "product_address.h"
#include "resource.h"

namespace {

std::string MakeFolder(int files) {
  char root[MAX_PATH];
  std::snprintf(root, sizeof(root), "C:\\lockmere-listing-bench-%d\\", files);
  CreateDirectoryA(root, nullptr);
  // Created in shuffled order with mixed case, so that the sort has work to do.
  std::vector<int> order(static_cast<size_t>(files));
  for (int i = 0; i < files; ++i) order[static_cast<size_t>(i)] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(42));
  for (int i : order) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof(path), "%s%s %05d.TXT", root, (i % 3) ? "Report" : "notes", i);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  return root;
}

void RemoveFolder(const std::string& root) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((root + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileA((root + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(root.c_str());
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Best of rounds, in seconds.
double TimeListing(CFileBrowserDlg& dialog, const std::string& folder, int rounds) {
  dialog.SetCurrentFolderUnlisted(folder);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double best = 1e9;
  for (int round = 0; round < rounds; ++round) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    dialog.RefreshListing();
    QueryPerformanceCounter(&end);
    PumpMessages();
    best = std::min(best, double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  int small = argc > 1 ? std::atoi(argv[1]) : 1000;
  int large = argc > 2 ? std::atoi(argv[2]) : 10000;
  CWinApp app;
  AfxInitApplication(&app, GetModuleHandleW(nullptr));
  SetProductHost("127.0.0.1:9");

  std::string smallFolder = MakeFolder(small);
  std::string largeFolder = MakeFolder(large);
  CFileBrowserDlg dialog;
  if (!dialog.Create(IDD_FILE_BROWSER)) {
    std::fprintf(stderr, "cannot create the main window\n");
    return 1;
  }
  PumpMessages();
  double smallTime = TimeListing(dialog, smallFolder, 3);
  int smallItems = dialog.List().Count();
  double largeTime = TimeListing(dialog, largeFolder, 3);
  int largeItems = dialog.List().Count();
  dialog.DestroyWindow();
  RemoveFolder(smallFolder);
  RemoveFolder(largeFolder);

  std::printf("listing %6d files: %8.3f s (%d items)\n", small, smallTime, smallItems);
  std::printf("listing %6d files: %8.3f s (%d items)\n", large, largeTime, largeItems);
  std::printf("ratio %d/%d: %.1f\n", large, small, largeTime / smallTime);
  return smallItems == small && largeItems == large ? 0 : 1;
}
