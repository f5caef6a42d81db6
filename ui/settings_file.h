// Where the settings live and how they reach the disk. A Lockmere.ini beside the program
// makes a portable copy (a USB stick) keep its settings with it; otherwise they live in
// the user's roaming application data. Neither reading nor writing ever stops the
// program: what cannot be read is the first-start state, what cannot be written is not
// kept.
#pragma once

#include <string>

#include "settings.h"

class SettingsFile {
 public:
  // Lockmere.ini in exeFolder when it is there, otherwise in appData\Lockmere; empty when
  // neither folder is known.
  static std::wstring Locate(const std::wstring& exeFolder, const std::wstring& appData);
  // The running program's file.
  static std::wstring ProgramPath();

  explicit SettingsFile(std::wstring path) : m_path(std::move(path)) {}

  void Load();
  const Settings& Get() const { return m_settings; }
  // Takes the settings and writes the whole file under a temporary name that is then
  // renamed over it; false when the file could not be written (the settings still hold
  // while the program runs).
  bool Change(const Settings& settings);

 private:
  std::wstring m_path;
  Settings m_settings;
};
