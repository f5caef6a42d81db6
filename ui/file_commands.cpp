#include "file_commands.h"

#include "file_error_text.h"
#include "file_session.h"
#include "fs/file_system.h"
#include "folder_reading.h"
#include "message_box.h"
#include "message_template.h"
#include "fs/file_names.h"
#include "text_conversion.h"

namespace {

std::wstring Count(const char* utf8Template, int count) {
  return FillTemplate<wchar_t>(Utf8ToWide(utf8Template), L"%d", std::to_wstring(count));
}

// A batch's closing message with what it left alone.
std::wstring ClosingReport(const char* closing, int linksLeft, int othersLeft) {
  std::wstring text = Utf8ToWide(closing);
  if (linksLeft > 0) text += L"\n" + Count("已跳过 %d 个链接。", linksLeft);
  if (othersLeft > 0) text += L"\n" + Count("已跳过 %d 个不是普通文件的项目（如设备）。", othersLeft);
  return text;
}

void TellFoldersLeft(const char* foldersLeft, int folders) {
  if (folders > 0) AfxMessageBox(FillTemplate<wchar_t>(Utf8ToWide(foldersLeft), L"%s", std::to_wstring(folders)), MB_OK);
}

}  // namespace

CFileCommands::CFileCommands(std::function<void()> relist)
    : m_relist(std::move(relist)), m_settings(SettingsFile::ProgramPath()) {}

void CFileCommands::RunFile(FileCommand command, const std::string& path) {
  // The password served this one file only: the session wipes it as it ends.
  CFilePrompts prompts = Prompts();
  qzops::FileSession session(prompts);
  session.Run(command, path);
}

void CFileCommands::RunFolder(FileCommand command, const std::string& folder) {
  CFilePrompts prompts = Prompts();
  qzops::FileSession session(prompts);
  // A cancelled batch has said what happened already.
  if (!session.RunFolder(folder + "\\", command) || session.Cancelled()) return;
  AfxMessageBox(ClosingReport(command == FileCommand::kEncrypt   ? "目录加密完成！"
                              : command == FileCommand::kDecrypt ? "目录解密完成！"
                                                                 : "目录升级完成！",
                              session.LinksLeft(), session.OthersLeft()),
                MB_OK);
}

void CFileCommands::RunPaths(const std::vector<std::string>& paths, const char* foldersLeft,
                             const std::function<void(const std::string& folder)>& showFolder) {
  // As a folder batch does, the stored name tells which files are encrypted.
  std::vector<std::string> plain, encrypted;
  int folders = 0;
  for (const std::string& path : paths) {
    if (FolderKindOfPath(path) != FolderKind::kNone)
      ++folders;
    else
      (qz::IsEncryptedName(path) ? encrypted : plain).push_back(path);
  }
  TellFoldersLeft(foldersLeft, folders);
  if (plain.empty() && encrypted.empty()) return;
  if (showFolder) {
    std::string dir, name;
    qz::SplitPath(plain.empty() ? encrypted.front() : plain.front(), &dir, &name);
    showFolder(dir);
  }
  CFilePrompts prompts = Prompts();
  qzops::FileSession session(prompts);
  if (!plain.empty()) session.RunFiles(plain, FileCommand::kEncrypt);
  if (!encrypted.empty()) session.RunFiles(encrypted, FileCommand::kDecrypt);
  if (session.Cancelled()) return;  // its message was the last
  const char* closing = encrypted.empty() ? "文件加密完成！"
                        : plain.empty()   ? "文件解密完成！"
                                          : "文件加密和解密完成！";
  AfxMessageBox(ClosingReport(closing, session.LinksLeft(), session.OthersLeft()), MB_OK);
}

void CFileCommands::RunUpgrade(const std::vector<std::string>& paths, const char* foldersLeft) {
  std::vector<std::string> upgraded;
  int folders = 0;
  for (const std::string& path : paths) {
    if (FolderKindOfPath(path) == FolderKind::kFolder)
      ++folders;
    else if (qz::HasEncryptedExtension(path))
      upgraded.push_back(path);
  }
  TellFoldersLeft(foldersLeft, folders);
  if (upgraded.empty()) return;
  CFilePrompts prompts = Prompts();
  qzops::FileSession session(prompts);
  session.RunFiles(upgraded, FileCommand::kUpgrade);
  if (session.Cancelled()) return;  // its message was the last
  AfxMessageBox(ClosingReport("文件升级完成！", session.LinksLeft(), session.OthersLeft()), MB_OK);
}

CFilePrompts CFileCommands::Prompts() {
  return CFilePrompts([this] { m_relist(); }, [this](const std::string& path) { return ProbeFileSize(path.c_str()); },
                      m_settings);
}

std::uint64_t CFileCommands::ProbeFileSize(const char* path) {
  // A path beyond the system's limit gets the engine's one message, not two.
  if (qz::PathLength(path) > qz::MaxPathLength()) return 0;
  qz::SizeProbe probe = qz::ProbeFileSize(path);
  if (probe.ok) return probe.size;
  // The operation goes on; the engine reports its own failure if the file cannot be read.
  AfxMessageBox(Utf8ToWide(FormatFileError(probe.cause, path)), MB_OK);
  return 0;
}
