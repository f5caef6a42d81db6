#include "folder_reading.h"

#include <windows.h>

#include "fs/file_system.h"
#include "fs/win_path.h"

std::vector<ListedEntry> ReadFolder(const std::string& dir, const ListingIcons& icons) {
  auto fits = [&](const char* pattern) { return qz::PathLength(dir + pattern) <= qz::MaxPathLength(); };
  std::vector<qz::FolderEntry> folders, files;
  if (fits("*")) folders = qz::ScanFolder(dir, "*").entries;
  // The hidden file-type selector's one type, "All files (*.*)".
  if (fits("*.*")) files = qz::ScanFolder(dir, "*.*").entries;
  return ListedEntries(dir, folders, files, icons);
}

FolderKind FolderKindOfPath(const std::string& path) {
  qz::FolderEntry entry;
  entry.kind = qz::KindOf(path);
  // Only a link needs its attributes: they tell whether it leads to a folder.
  if (entry.kind == qz::EntryKind::kSymlink) {
    const DWORD attributes = GetFileAttributesW(qz::WidePath(path).c_str());
    entry.attributes = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
  }
  return FolderKindOf(entry);
}
