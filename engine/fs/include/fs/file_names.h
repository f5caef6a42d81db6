// Names of encrypted files and the byte-wise path splitting the header relies on.
#pragma once

#include <cstddef>
#include <string>

namespace qz {

inline constexpr char kEncryptedExtension[] = ".qz";
inline constexpr std::size_t kEncryptedExtensionLength = 3;

// 1 when the last three bytes are ".qz" (case-sensitive), else 0.
int HasEncryptedExtension(const char* name);
// Cuts the last three bytes off, whatever they are. Returns 1.
int StripEncryptedExtension(char* name);
// Appends ".qz". The buffer must have room for three more bytes. Returns 1.
int AppendEncryptedExtension(char* name);
// Splits at the last separator (Windows: backslash or slash; paths there are UTF-8,
// so no character's byte looks like one). The directory gets the bytes before it, the
// name those after it. Returns 1, or 0 (both buffers empty) when a
// part would not fit its buffer.
int SplitPath(const char* path, char* dir, std::size_t dirSize, char* name, std::size_t nameSize);

bool HasEncryptedExtension(const std::string& name);
std::string StripEncryptedExtension(const std::string& name);
std::string AppendEncryptedExtension(const std::string& name);
void SplitPath(const std::string& path, std::string* dir, std::string* name);

// Strong files: ".age", ASCII case ignored when reading a name.
inline constexpr char kStrongExtension[] = ".age";
bool HasStrongExtension(const std::string& name);
std::string StripStrongExtension(const std::string& name);
std::string AppendStrongExtension(const std::string& name);
// Either kind of encrypted file, by its name.
bool IsEncryptedName(const std::string& name);

// Byte index of the last separator the file system knows (Windows: backslash or
// slash; POSIX: slash), or npos.
std::size_t LastSeparator(const std::string& path);

// dir + separator + name, as the file system joins them ("C:" + name: C:'s current
// folder, not its root).
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace qz
