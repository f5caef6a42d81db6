#include "qz_name.h"

#include <cstring>

namespace qz {

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\';
#else
  return c == '\\' || c == '/';
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
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return i - 1;
  }
  return std::string::npos;
}

void SplitPath(const std::string& path, std::string* dir, std::string* name) {
  const std::size_t sep = LastSeparator(path);
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

}  // namespace qz
