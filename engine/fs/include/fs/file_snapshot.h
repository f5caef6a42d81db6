// What a file looked like when it was opened for reading: enough to tell later whether
// the file under its name is still the one that was read, unchanged.
#pragma once

#include <cstdint>

namespace qz {

struct FileSnapshot {
  bool valid = false;
  std::uint64_t device = 0;     // POSIX st_dev; Windows volume serial number
  std::uint64_t fileId = 0;     // POSIX st_ino; Windows file index
  std::uint64_t size = 0;
  std::int64_t modified = 0;    // POSIX ns since the epoch; Windows FILETIME
  std::uint32_t mode = 0;       // POSIX permission bits; Windows attributes
  std::uint64_t bytesRead = 0;  // how much of it the operation read
  std::uint32_t links = 1;      // names the file has (hard links)
  std::uint32_t owner = 0;      // POSIX st_uid and st_gid; 0 on Windows
  std::uint32_t group = 0;
};

}  // namespace qz
