// The main window's file commands: one file, a folder's files, or several paths as one
// batch. What each decides lives in the operations layer; the window's prompts answer
// its questions, and a batch ends with the window's closing message.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "file_prompts.h"
#include "front_end.h"
#include "settings_file.h"

using FileCommand = qzops::FileCommand;

class CFileCommands {
 public:
  // relist shows the current folder again after a change.
  explicit CFileCommands(std::function<void()> relist);

  // The settings the encryption dialog keeps its choice in.
  void LoadSettings() { m_settings.Load(); }

  // One file's command, asking for its password first.
  void RunFile(FileCommand command, const std::string& path);
  // A batch over every suitable file directly inside folder, with one password prompt
  // and one closing message.
  void RunFolder(FileCommand command, const std::string& folder);
  // Several paths as one batch, as a drop gives them: plain files are encrypted, ".qz"
  // and ".age" files decrypted, and folders left alone and counted in foldersLeft ("%s":
  // the count). showFolder, when given, lists the first file's folder first.
  void RunPaths(const std::vector<std::string>& paths, const char* foldersLeft,
                const std::function<void(const std::string& folder)>& showFolder);
  // The upgrade of the ".qz" files among paths; folders are counted as in RunPaths.
  void RunUpgrade(const std::vector<std::string>& paths, const char* foldersLeft);

  // The file's size for the progress window; 0 after telling why it cannot be known.
  std::uint64_t ProbeFileSize(const char* path);

 private:
  // The window's answers to what an operation asks.
  CFilePrompts Prompts();

  std::function<void()> m_relist;
  SettingsFile m_settings;
};
