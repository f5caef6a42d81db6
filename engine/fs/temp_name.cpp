#include <chrono>
#include <random>

#include "fs/file_names.h"
#include "fs/file_system.h"
#include "temp_name.h"

namespace qz {

namespace {
constexpr char kPrefix[] = "~qz";
constexpr char kSuffix[] = ".tmp";
constexpr std::size_t kRandomChars = 6;
constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
}  // namespace

bool IsTemporaryName(const std::string& name) {
  const std::size_t prefix = sizeof(kPrefix) - 1, suffix = sizeof(kSuffix) - 1;
  if (name.size() != prefix + kRandomChars + suffix) return false;
  if (name.compare(0, prefix, kPrefix) != 0) return false;
  if (name.compare(prefix + kRandomChars, suffix, kSuffix) != 0) return false;
  for (std::size_t i = prefix; i < prefix + kRandomChars; ++i) {
    const char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

std::string MakeTemporaryPath(const std::string& destination) {
  static std::mt19937_64 rng(std::random_device{}() ^
                             static_cast<std::uint64_t>(
                                 std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  std::string name = kPrefix;
  for (std::size_t i = 0; i < kRandomChars; ++i) name += kAlphabet[rng() % (sizeof(kAlphabet) - 1)];
  name += kSuffix;
  const std::size_t sep = LastSeparator(destination);
  return sep == std::string::npos ? name : destination.substr(0, sep + 1) + name;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t sep = LastSeparator(path);
  if (sep == std::string::npos) return ".";
  if (sep == 0) return path.substr(0, 1);
  return path.substr(0, sep);
}

}  // namespace qz
