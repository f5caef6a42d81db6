#include "listing/folder_listing.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "qz/code_page_936.h"
#include "fs/file_system.h"
#include "listing/display_name.h"
#include "fs/file_names.h"

namespace {

constexpr std::uint32_t kDirectoryAttribute = 0x10;  // FILE_ATTRIBUTE_DIRECTORY

ListedEntry Describe(const qz::FolderEntry& found, int icon, bool folder) {
  ListedEntry entry;
  entry.folder = folder;
  entry.attributes = found.attributes;
  entry.icon = icon;
  entry.diskName = found.name;
  entry.name = DisplayName(found.name);
  entry.sortKey = SortKeyOf(entry.name);
  return entry;
}

// The bytes after the name's last dot, "" when it has none.
std::string ExtensionOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace

FolderKind FolderKindOf(const qz::FolderEntry& entry) {
  if (entry.kind == qz::EntryKind::kDirectory) return FolderKind::kFolder;
  if (entry.kind == qz::EntryKind::kSymlink && (entry.attributes & kDirectoryAttribute))
    return FolderKind::kLinkToFolder;
  return FolderKind::kNone;
}

std::string SortKeyOf(const std::string& utf8Name) {
  std::string key;
  return qz::ToCodePage936(utf8Name, qz::LackingCharacter::kSortsLast, &key) ? key : utf8Name;
}

void SortListedEntries(std::vector<ListedEntry>* entries) {
  // Unsigned bytes put double-byte names after ASCII ones. Names code page 936 cannot
  // tell apart ("?") keep an order of their own.
  std::stable_sort(entries->begin(), entries->end(), [](const ListedEntry& a, const ListedEntry& b) {
    const int byKey = std::strcmp(a.sortKey.c_str(), b.sortKey.c_str());
    return byKey != 0 ? byKey < 0 : std::strcmp(a.name.c_str(), b.name.c_str()) < 0;
  });
}

std::vector<ListedEntry> ListedEntries(const std::string& dir, const std::vector<qz::FolderEntry>& folders,
                                       const std::vector<qz::FolderEntry>& files, const ListingIcons& icons) {
  std::vector<ListedEntry> listed;
  for (const qz::FolderEntry& found : folders)
    if (FolderKindOf(found) != FolderKind::kNone && found.name[0] != '.') listed.push_back(Describe(found, icons.folder, true));
  SortListedEntries(&listed);

  // Every other entry is listed with the files, where the commands tell why they leave
  // a link or a device alone.
  std::vector<ListedEntry> listedFiles;
  std::unordered_map<std::string, int> iconOfExtension;
  for (const qz::FolderEntry& found : files) {
    if (FolderKindOf(found) != FolderKind::kNone) continue;
    if (qz::PathLength(dir + found.name) > qz::MaxPathLength()) continue;
    // The icon follows the stored name: "report.QZ" is not an encrypted file, while
    // "report.AGE" is a strong one (its extension's case does not count).
    int icon = icons.encrypted;
    if (!qz::IsEncryptedName(found.name)) {
      auto known = iconOfExtension.emplace(ExtensionOf(found.name), 0);
      if (known.second) known.first->second = icons.ofFile ? icons.ofFile(dir + found.name) : -1;
      icon = known.first->second;
    }
    listedFiles.push_back(Describe(found, icon, false));
  }
  SortListedEntries(&listedFiles);
  listed.insert(listed.end(), listedFiles.begin(), listedFiles.end());
  return listed;
}
