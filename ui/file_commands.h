// The main window's file commands: one file, a folder's files, or several paths as one
// batch. What each decides lives in the operations layer; the window's prompts answer
// its questions, and a batch ends with the window's closing message.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "front_end.h"
#include "settings_file.h"
#include "window_front_end.h"
#include "wnd.h"

using FileCommand = qzops::FileCommand;

class CFileCommands {
 public:
  // owner is the main window, whose prompts these are; relist shows the current folder
  // again after a change.
  CFileCommands(const CWnd& owner, std::function<void()> relist);

  // The settings the encryption dialog keeps its choice in.
  void LoadSettings() { m_settings.Load(); }

  // One file's command, asking for its password first.
  void RunFile(FileCommand command, const std::string& path);
  // A batch over every suitable file directly inside folder, with one password prompt
  // and one closing message.
  void RunFolder(FileCommand command, const std::string& folder);
  // Several paths as one batch, as a drop or a selection gives them, by the operations
  // layer's plan: for kEncrypt plain files are encrypted and ".qz" and ".age" files
  // decrypted, for kUpgrade ".qz" files upgraded. Folders join with their whole trees when
  // the first password prompt's box is ticked; otherwise they are left alone and counted
  // in foldersLeft ("%s": the count). showFolder, when given, lists the first file's
  // folder first.
  void RunPaths(const std::vector<std::string>& paths, FileCommand command, const char* foldersLeft,
                const std::function<void(const std::string& folder)>& showFolder);

  // The file's size for the progress window; 0 after telling why it cannot be known. A
  // close of the window meanwhile sets cancel.
  std::uint64_t ProbeFileSize(const char* path, qz::CancelToken& cancel);

 private:
  // The window's answers to what an operation asks.
  WindowFrontEnd Prompts();

  const CWnd& m_owner;
  std::function<void()> m_relist;
  SettingsFile m_settings;
};
