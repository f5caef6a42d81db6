#include "settings_file.h"

#include <windows.h>
#include <shlobj.h>

#include "fs/win_handles.h"

namespace {

constexpr wchar_t kFileName[] = L"Lockmere.ini";
// Far beyond any settings this program writes: anything larger is not its file.
constexpr DWORD kMaxBytes = 64 * 1024;

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ExeFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) return FolderOf(path.substr(0, length));
    path.resize(path.size() * 2);
  }
}

std::wstring RoamingAppData() {
  PWSTR folder = nullptr;
  std::wstring result;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder))) result = folder;
  CoTaskMemFree(folder);
  return result;
}

bool WriteAll(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size() && FlushFileBuffers(file);
}

}  // namespace

std::wstring SettingsFile::Locate(const std::wstring& exeFolder, const std::wstring& appData) {
  if (!exeFolder.empty() && IsFile(exeFolder + L"\\" + kFileName)) return exeFolder + L"\\" + kFileName;
  if (appData.empty()) return std::wstring();
  return appData + L"\\Lockmere\\" + kFileName;
}

std::wstring SettingsFile::ProgramPath() { return Locate(ExeFolder(), RoamingAppData()); }

void SettingsFile::Load() {
  m_settings = Settings();
  if (m_path.empty()) return;
  qz::ScopedHandle file(CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size = {};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxBytes) return;
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!text.empty() && (!ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
                        read != text.size()))
    return;
  m_settings = Settings::Parse(text);
}

bool SettingsFile::Change(const Settings& settings) {
  m_settings = settings;
  // A file made read-only (a shared portable copy, say) keeps what it holds.
  const DWORD attributes = GetFileAttributesW(m_path.c_str());
  if (m_path.empty() || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)))
    return false;
  const std::wstring folder = FolderOf(m_path);
  // The folder in the application data is made on the first write; a portable file's
  // folder exists already.
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring temporary = m_path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  bool written = false;
  {
    qz::ScopedHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    written = WriteAll(file.get(), settings.Serialise());
    written = CloseHandle(file.release()) && written;
  }
  if (written && MoveFileExW(temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temporary.c_str());
  return false;
}
