// What the main window lists for a folder, without windows: which entries are folders,
// their display names, their icons and their order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fs/folder_scan.h"

struct ListedEntry {
  std::string name;      // display name, UTF-8
  std::string diskName;  // the name as on disk, UTF-8: what an operation opens
  std::string sortKey;   // SortKeyOf the display name
  std::uint32_t attributes = 0;  // the search's attribute bits, the list item's data
  int icon = -1;                 // system icon index, or the encrypted-file icon
  bool folder = false;           // listed with the folders
};

// The window's one rule for "is a folder": a folder, or a link to one. A link to a
// folder is listed and entered as one, but no command runs over its files.
enum class FolderKind { kNone, kFolder, kLinkToFolder };
FolderKind FolderKindOf(const qz::FolderEntry& entry);

// The order the list has always had: the name's code page 936 bytes, each character
// that code page lacks as 0xFF 0xFF (after every other character).
std::string SortKeyOf(const std::string& utf8Name);
// By sort key, byte-wise (unsigned, shorter prefix first), then by name; equal entries
// keep their order.
void SortListedEntries(std::vector<ListedEntry>* entries);

struct ListingIcons {
  int folder = -1;     // every folder's
  int encrypted = -1;  // ".qz" and ".age" files'
  // Any other file's, by its full path; asked once per extension, as the shell answers
  // by the name alone.
  std::function<int(const std::string& path)> ofFile;
};

// The list of dir: the folders among folders (none whose name starts with a dot), then
// the files among files, each group sorted by display name. A file whose full path
// would pass the system's limit is left out rather than cut.
std::vector<ListedEntry> ListedEntries(const std::string& dir, const std::vector<qz::FolderEntry>& folders,
                                       const std::vector<qz::FolderEntry>& files, const ListingIcons& icons);
