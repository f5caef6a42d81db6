#include "fs/file_names.h"

#include <cstring>

namespace qz {

namespace {

// Windows accepts both separators; a program's own paths use the backslash. On POSIX
// a backslash is an ordinary byte of a name.
bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

// Where SplitPath cuts: also at a backslash on POSIX, so that a Windows path given to
// the engine there yields the same name.
std::size_t LastSplitPoint(const std::string& path) {
#ifdef _WIN32
  return LastSeparator(path);
#else
  const std::size_t slash = path.rfind('/');
  const std::size_t backslash = path.rfind('\\');
  if (slash == std::string::npos) return backslash;
  if (backslash == std::string::npos) return slash;
  return slash > backslash ? slash : backslash;
#endif
}

}  // namespace

int HasEncryptedExtension(const char* name) {
  const std::size_t len = std::strlen(name);
  if (len < kEncryptedExtensionLength) return 0;
  return std::memcmp(name + len - kEncryptedExtensionLength, kEncryptedExtension,
                     kEncryptedExtensionLength) == 0
             ? 1
             : 0;
}

int StripEncryptedExtension(char* name) {
  const std::size_t len = std::strlen(name);
  name[len >= kEncryptedExtensionLength ? len - kEncryptedExtensionLength : 0] = '\0';
  return 1;
}

int AppendEncryptedExtension(char* name) {
  std::strcat(name, kEncryptedExtension);
  return 1;
}

std::size_t LastSeparator(const std::string& path) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i])) last = i;
  }
  return last;
}

void SplitPath(const std::string& path, std::string* dir, std::string* name) {
  const std::size_t sep = LastSplitPoint(path);
  if (sep == std::string::npos) {
    dir->clear();
    *name = path;
  } else {
    dir->assign(path, 0, sep);
    name->assign(path, sep + 1, std::string::npos);
  }
}

int SplitPath(const char* path, char* dir, std::size_t dirSize, char* name,
              std::size_t nameSize) {
  if (dirSize > 0) dir[0] = '\0';
  if (nameSize > 0) name[0] = '\0';
  std::string d, n;
  SplitPath(std::string(path), &d, &n);
  if (d.size() >= dirSize || n.size() >= nameSize) return 0;
  std::memcpy(dir, d.c_str(), d.size() + 1);
  std::memcpy(name, n.c_str(), n.size() + 1);
  return 1;
}

bool HasEncryptedExtension(const std::string& name) {
  return HasEncryptedExtension(name.c_str()) == 1;
}

std::string StripEncryptedExtension(const std::string& name) {
  return name.size() >= kEncryptedExtensionLength
             ? name.substr(0, name.size() - kEncryptedExtensionLength)
             : std::string();
}

std::string AppendEncryptedExtension(const std::string& name) {
  return name + kEncryptedExtension;
}

bool HasStrongExtension(const std::string& name) {
  constexpr std::size_t length = sizeof(kStrongExtension) - 1;
  if (name.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    char c = name[name.size() - length + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kStrongExtension[i]) return false;
  }
  return true;
}

std::string StripStrongExtension(const std::string& name) {
  return name.substr(0, name.size() - (sizeof(kStrongExtension) - 1));
}

std::string AppendStrongExtension(const std::string& name) { return name + kStrongExtension; }

bool IsEncryptedName(const std::string& name) {
  return HasEncryptedExtension(name) || HasStrongExtension(name);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  const std::size_t sep = LastSeparator(dir);
  if (sep == dir.size() - 1) return dir + name;
#ifdef _WIN32
  if (dir.size() == 2 && dir[1] == ':') return dir + name;  // "C:" means C:'s current folder
  return dir + "\\" + name;
#else
  return dir + "/" + name;
#endif
}

}  // namespace qz
