#include <cstring>

#include "file_cipher.h"

namespace qz {

namespace {
bool IsNameByte(std::uint8_t b) { return b >= 0x20 && b != 0x7F; }
}  // namespace

void BuildHeader(const std::string& name, std::uint8_t header[kHeaderBytes]) {
  std::memset(header, 0, kHeaderBytes);
  std::memcpy(header, name.data(), name.size() < kHeaderBytes ? name.size() : kHeaderBytes);
}

bool IsPlausibleHeader(const std::uint8_t header[kHeaderBytes]) {
  std::size_t len = 0;
  while (len < kHeaderBytes && IsNameByte(header[len])) ++len;
  if (len == kHeaderBytes) return true;
  return len >= 1 && header[len] == 0;
}

bool IsStorableName(const std::string& name) {
  if (name.empty()) return false;
  const std::size_t checked = name.size() < kHeaderBytes ? name.size() : kHeaderBytes;
  for (std::size_t i = 0; i < checked; ++i) {
    if (!IsNameByte(static_cast<std::uint8_t>(name[i]))) return false;
  }
  return true;
}

}  // namespace qz
