// The context menu's command on an item: on a folder, a batch over every suitable file
// directly inside it, with one password prompt and one closing message; on a file, that
// file's command.
#include <string>

#include "file_browser_dlg.h"
#include "file_session.h"
#include "fs/file_names.h"
#include "fs/folder_scan.h"
#include "message_box.h"
#include "message_template.h"
#include "text_conversion.h"

namespace {

std::wstring Count(const char* utf8Template, int count) {
  return FillTemplate<wchar_t>(Utf8ToWide(utf8Template), L"%d", std::to_wstring(count));
}

}  // namespace

void CFileBrowserDlg::RunFolderBatch(FileCommand command, int item) {
  std::string path;
  if (item < 0 || !ItemPath(item, &path)) return;
  if (qz::KindOf(path) != qz::EntryKind::kDirectory) {
    // On a file, "解密" of a plain file encrypts it, as a double-click would.
    if (command == FileCommand::kDecrypt && !qz::IsEncryptedName(path)) command = FileCommand::kEncrypt;
    RunFileCommand(command, path.c_str());
    return;
  }
  WindowFrontEnd prompts = Prompts();
  qzops::FileSession session(prompts, prompts.Settings());
  // A cancelled batch has said what happened already.
  if (!session.RunFolder(std::string(path) + "\\", command) || session.Cancelled()) return;
  AfxMessageBox(ClosingReport(command == FileCommand::kEncrypt   ? "目录加密完成！"
                              : command == FileCommand::kDecrypt ? "目录解密完成！"
                                                                 : "目录升级完成！",
                              session.LinksLeft(), session.OthersLeft()),
                MB_OK);
}

std::wstring CFileBrowserDlg::ClosingReport(const char* closing, int linksLeft, int othersLeft) {
  std::wstring text = Utf8ToWide(closing);
  if (linksLeft > 0) text += L"\n" + Count("已跳过 %d 个链接。", linksLeft);
  if (othersLeft > 0) text += L"\n" + Count("已跳过 %d 个不是普通文件的项目（如设备）。", othersLeft);
  return text;
}
