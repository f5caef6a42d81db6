// The main window's reading of the disk: a folder's entries as the list shows them, and
// what a path is by the list's rule.
#pragma once

#include <string>
#include <vector>

#include "listing/folder_listing.h"

// The list of dir (ending in a backslash). A search pattern beyond the system's limit
// would be refused anyway: its part of the list stays empty.
std::vector<ListedEntry> ReadFolder(const std::string& dir, const ListingIcons& icons);

// What the entry at path is by FolderKindOf; a final link is not followed.
FolderKind FolderKindOfPath(const std::string& path);
