#include "process.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace qz::e2e {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool Dropped(const std::string& entry) {
  const std::string name = Lower(entry.substr(0, entry.find('=')));
  return name == "http_proxy" || name == "https_proxy" || name == "all_proxy" ||
         name == "ftp_proxy" || name == "no_proxy" || name == "winedlloverrides";
}

// A double-NUL-terminated environment block for CreateProcessA.
std::vector<char> ChildEnvironment() {
  std::vector<std::string> entries;
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* p = block; *p; p += std::char_traits<char>::length(p) + 1) {
      std::string entry(p);
      if (!Dropped(entry)) entries.push_back(entry);
    }
    FreeEnvironmentStringsA(block);
  }
  entries.push_back("WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d");
  std::vector<char> out;
  for (const std::string& e : entries) {
    out.insert(out.end(), e.begin(), e.end());
    out.push_back('\0');
  }
  out.push_back('\0');
  return out;
}

}  // namespace

std::string ToWindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string out = "Z:" + path;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

ProgramProcess::~ProgramProcess() {
  if (info_.hProcess) {
    if (Running()) Kill();
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool ProgramProcess::Start(const std::string& exe, std::string* error) {
  return Start(exe, L"", L"", error);
}

bool ProgramProcess::Start(const std::string& exe, const std::wstring& arguments,
                           const std::wstring& directory, std::string* error) {
  if (info_.hProcess) {
    if (Running()) Kill();
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
  }
  std::vector<char> env = ChildEnvironment();
  // The program is ASCII-named; the arguments may hold any character.
  const std::wstring wideExe(exe.begin(), exe.end());
  std::wstring command = L"\"" + wideExe + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(wideExe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, env.data(),
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info_)) {
    *error = "CreateProcessW(" + exe + ") failed with error " + std::to_string(GetLastError());
    info_ = {};
    return false;
  }
  return true;
}

bool ProgramProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ProgramProcess::WaitForExit(Millis timeout) {
  return info_.hProcess &&
         WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) ==
             WAIT_OBJECT_0;
}

DWORD ProgramProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void ProgramProcess::Kill() {
  if (!info_.hProcess) return;
  TerminateProcess(info_.hProcess, 99);
  WaitForSingleObject(info_.hProcess, 5000);
}

}  // namespace qz::e2e
