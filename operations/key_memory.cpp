#include "key_memory.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace qzops {

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
// Left to the rest of the system, beside what the batch's own files need.
constexpr std::uint64_t kMemoryMargin = 512 * kMiB;

}  // namespace

std::uint64_t FreePhysicalMemory() {
#ifdef _WIN32
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  return GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
#else
#ifdef __linux__
  // Free pages alone leave out the page cache, which the system gives back on demand.
  if (std::FILE* info = std::fopen("/proc/meminfo", "r")) {
    char line[128];
    unsigned long long kib = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, info)) {
      found = std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1;
    }
    std::fclose(info);
    if (found) return kib * 1024;
  }
#endif
  const long pages = sysconf(_SC_AVPHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) : 0;
#endif
}

std::uint64_t DerivationBytes(int logN) { return (std::uint64_t{1024} << logN) + kMiB; }

std::uint64_t DerivationsThatFit(int logN) {
  const std::uint64_t free = FreePhysicalMemory();
  return free > kMemoryMargin ? (free - kMemoryMargin) / DerivationBytes(logN) : 0;
}

bool RoomForDerivation(int logN) { return DerivationsThatFit(logN) > 0; }

}  // namespace qzops
