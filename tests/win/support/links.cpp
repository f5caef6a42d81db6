#include "support/links.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/files.h"
#include "support/text.h"
#include "support/wait.h"

namespace qz::wintest {

namespace {

std::wstring LastName(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  const std::size_t sep = path.find_last_of(L"\\/");
  return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

// Runs a Unix program (absolute path and arguments) in folder; false when it cannot be
// started (on Windows itself).
bool RunUnixProgram(const std::string& folder, const std::string& commandLine) {
  std::wstring command = Utf8ToWide(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  // Wine starts a Unix program in the folder's Unix form, on its own: neither its end
  // nor its exit code comes back, so callers wait for what it does.
  if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, Utf8ToWide(folder).c_str(),
                        &startup, &process))
    return false;
  ::WaitForSingleObject(process.hProcess, 5000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

}  // namespace

void MakeLink(const std::string& folder, const std::string& name, const std::string& target) {
  std::wstring windowsTarget = Utf8ToWide(target);
  for (wchar_t& c : windowsTarget)
    if (c == L'/') c = L'\\';
  const std::string path = folder + "\\" + name;
  ::CreateSymbolicLinkW(Utf8ToWide(path).c_str(), windowsTarget.c_str(),
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  if (!Exists(path)) RunUnixProgram(folder, "/bin/ln -s " + target + " " + name);
  EXPECT_TRUE(WaitUntil([&] { return LeadsElsewhere(path); }, Millis(10000)))
      << "no link " << path << " to " << target;
}

bool LeadsElsewhere(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  HANDLE file = ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  wchar_t final[MAX_PATH] = {};
  const DWORD length = ::GetFinalPathNameByHandleW(file, final, MAX_PATH, VOLUME_NAME_NONE);
  ::CloseHandle(file);
  return length > 0 && length < MAX_PATH &&
         ::CompareStringOrdinal(LastName(final).c_str(), -1, LastName(wide).c_str(), -1, TRUE) != CSTR_EQUAL;
}

void RemoveTreeWithLinks(const std::string& folder) {
  // Under Wine, deleting a Unix link by its Windows name deletes what it leads to.
  const std::wstring wide = Utf8ToWide(folder);
  const std::size_t sep = wide.find_last_of(L'\\');
  if (sep != std::wstring::npos && Exists(folder) &&
      RunUnixProgram(WideToUtf8(wide.substr(0, sep + 1)), "/bin/rm -rf " + WideToUtf8(wide.substr(sep + 1))))
    WaitUntil([&] { return !Exists(folder); }, Millis(10000));
  RemoveTree(folder);
}

}  // namespace qz::wintest
