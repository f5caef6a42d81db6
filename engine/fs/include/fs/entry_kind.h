// Windows: what a folder entry is, by the one rule that the listing, the window's
// commands, the batches and qzcrypt share. A link (symbolic link, junction, any
// name-surrogate reparse point) is never taken for what it leads to; a cloud placeholder,
// an offline, deduplicated or compressed file is the file itself, whose data its filter
// brings when the file is read.
#pragma once

namespace qz {

// kSymlink: any link (on Windows also a junction or another name-surrogate reparse
// point), never followed.
enum class EntryKind { kMissing, kRegularFile, kDirectory, kSymlink, kFifo, kDevice, kOther };

}  // namespace qz

#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <string>

namespace qz {

// From the attributes and, where they hold FILE_ATTRIBUTE_REPARSE_POINT, the reparse tag
// (0 when the system did not tell it).
EntryKind KindOfAttributes(std::uint32_t attributes, std::uint32_t reparseTag);

// What an open handle is, as the entry at path: the rule above on the handle's own
// attributes and tag, and a link also when the handle is not that entry but what a link
// there leads to. Some systems (Wine, for a Unix symbolic link) follow a link even when
// asked to open the link itself and show no reparse point: only the handle's final path
// tells. attributes, when given, receives the handle's attributes.
EntryKind KindOfOpened(HANDLE handle, const std::string& path, std::uint32_t* attributes = nullptr);

}  // namespace qz

#endif
