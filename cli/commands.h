// One file through encrypt, decrypt or check, with its report line.
#pragma once

#include <string>

namespace qzcli {

struct RunOptions {
  std::string password;  // code page 936 bytes, never empty (default already applied)
  bool keep = false;
  bool force = false;       // consent to replace a file of the output's name
  bool ignoreName = false;  // consent to decrypt under another stored name
  bool quiet = false;
  bool progress = false;  // a bar for large files on standard error
};

// Each returns true when the file was done; a failure has been reported on stderr.
// A file stopped by an interrupt counts as failed; the caller asks Interrupted().
bool EncryptOne(const std::string& path, const RunOptions& options);
bool DecryptOne(const std::string& path, const RunOptions& options);
bool CheckOne(const std::string& path, const RunOptions& options);

// "qzcrypt: " + text on stderr.
void ReportError(const std::string& text);
// A line on stdout unless quiet.
void ReportInfo(const RunOptions& options, const std::string& line);

}  // namespace qzcli
