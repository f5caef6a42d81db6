#include "file_commands.h"

#include "command_plan.h"
#include "file_error_text.h"
#include "file_session.h"
#include "fs/file_system.h"
#include "folder_reading.h"
#include "message_box.h"
#include "message_template.h"
#include "fs/file_names.h"
#include "text_conversion.h"
#include "worker_call.h"

namespace {

std::wstring Count(const char* utf8Template, int count) {
  return FillTemplate<wchar_t>(Utf8ToWide(utf8Template), L"%d", std::to_wstring(count));
}

// A batch's closing message with what it left alone.
std::wstring ClosingReport(const char* closing, const qzops::FileSession& session) {
  std::wstring text = Utf8ToWide(closing);
  if (session.LinksLeft() > 0) text += L"\n" + Count("已跳过 %d 个链接。", session.LinksLeft());
  if (session.OthersLeft() > 0)
    text += L"\n" + Count("已跳过 %d 个不是普通文件的项目（如设备）。", session.OthersLeft());
  if (session.UnreadableFolders() > 0) {
    text += L"\n" + FillTemplate<wchar_t>(Count("无法读取 %d 个文件夹，例如“%s”。", session.UnreadableFolders()), L"%s",
                                          Utf8ToWide(session.FirstUnreadableFolder()));
  }
  return text;
}

}  // namespace

CFileCommands::CFileCommands(const CWnd& owner, std::function<void()> relist)
    : m_owner(owner), m_relist(std::move(relist)), m_settings(SettingsFile::ProgramPath()) {}

void CFileCommands::RunFile(FileCommand command, const std::string& path) {
  // The password served this one file only: the session wipes it as it ends.
  WindowFrontEnd prompts = Prompts();
  qzops::FileSession session(prompts, prompts.Settings());
  session.Run(command, path);
}

void CFileCommands::RunFolder(FileCommand command, const std::string& folder) {
  WindowFrontEnd prompts = Prompts();
  qzops::FileSession session(prompts, prompts.Settings());
  // A cancelled batch has said what happened already.
  if (!session.RunFolder(folder + "\\", command) || session.Cancelled()) return;
  AfxMessageBox(ClosingReport(command == FileCommand::kEncrypt   ? "目录加密完成！"
                              : command == FileCommand::kDecrypt ? "目录解密完成！"
                                                                 : "目录升级完成！",
                              session),
                MB_OK);
}

void CFileCommands::RunPaths(const std::vector<std::string>& paths, FileCommand command, const char* foldersLeft,
                             const std::function<void(const std::string& folder)>& showFolder) {
  qzops::PickPlan plan = qzops::PlanPicked(command, paths);
  const auto filesPlanned = [&plan] { return !plan.encrypt.empty() || !plan.decrypt.empty() || !plan.upgrade.empty(); };
  if (!filesPlanned() && plan.folders.empty()) return;
  if (showFolder && filesPlanned()) {
    const std::string& file = !plan.encrypt.empty() ? plan.encrypt.front()
                              : !plan.decrypt.empty() ? plan.decrypt.front()
                                                      : plan.upgrade.front();
    std::string dir, name;
    qz::SplitPath(file, &dir, &name);
    showFolder(dir);
  }
  WindowFrontEnd prompts = Prompts();
  prompts.TellFoldersLeftAs(foldersLeft);
  qzops::FileSession session(prompts, prompts.Settings());
  // A stop before any change, and a cancel, have said all there is.
  if (!session.RunPicked(plan, command) || session.Cancelled()) return;
  // Folders left with no file to work on: their message was the last.
  if (!filesPlanned() && !plan.folders.empty()) return;
  const char* closing = !plan.upgrade.empty()  ? "文件升级完成！"
                        : plan.decrypt.empty() ? "文件加密完成！"
                        : plan.encrypt.empty() ? "文件解密完成！"
                                               : "文件加密和解密完成！";
  AfxMessageBox(ClosingReport(closing, session), MB_OK);
}

WindowFrontEnd CFileCommands::Prompts() {
  return WindowFrontEnd(m_owner.m_hWnd, [this] { m_relist(); }, [this](const std::string& path, qz::CancelToken& cancel) { return ProbeFileSize(path.c_str(), cancel); },
                      m_settings);
}

std::uint64_t CFileCommands::ProbeFileSize(const char* path, qz::CancelToken& cancel) {
  // A path beyond the system's limit gets the engine's one message, not two.
  if (qz::PathLength(path) > qz::MaxPathLength()) return 0;
  // The first open of the file can take long (a network drive, a file in the cloud): the
  // window keeps answering meanwhile.
  qz::SizeProbe probe;
  // A close meanwhile lets the probe end and stops the operation that follows it.
  const std::exception_ptr error =
      RunOnWorker(m_owner.m_hWnd, cancel, [&] { probe = qz::ProbeFileSize(path); }, [] {});
  if (error) std::rethrow_exception(error);
  if (probe.ok) return probe.size;
  // The operation goes on; the engine reports its own failure if the file cannot be read.
  AfxMessageBox(Utf8ToWide(FormatFileError(probe.cause, path)), MB_OK);
  return 0;
}
