// One file through encrypt, decrypt or check, with its report line.
#pragma once

#include <string>

#include "crypto/secret.h"

namespace qzops {
class StrongKeyPool;
}

namespace qzcli {

struct RunOptions {
  // ".qz" files: code page 936 bytes, never empty (default already applied).
  qz::Secret password;
  // ".age" files: UTF-8 bytes; empty only after an empty entry at the terminal, which
  // fails each ".age" file (there is no default password for them).
  qz::Secret strongPassword;
  bool strong = false;  // encrypt into ".age" files
  int workFactor = 18;
  bool keep = false;
  bool force = false;       // consent to replace a file of the output's name
  bool ignoreName = false;  // consent to decrypt under another stored name
  bool quiet = false;
  bool progress = false;  // a bar for large files on standard error
  // Strong keys made ahead for the run's files; null: each file makes its own.
  qzops::StrongKeyPool* keyPool = nullptr;
};

// Each returns true when the file was done; a failure has been reported on stderr.
// A file stopped by an interrupt counts as failed; the caller asks Interrupted().
// PATH -> PATH.qz, or PATH.age with options.strong; FILE.qz or FILE.age -> FILE.
bool EncryptOne(const std::string& path, const RunOptions& options);
bool DecryptOne(const std::string& path, const RunOptions& options);
bool CheckOne(const std::string& path, const RunOptions& options);
// The check of a ".age" file.
bool CheckStrongOne(const std::string& path, const RunOptions& options);
// FILE.qz -> FILE.age with the same password.
bool UpgradeOne(const std::string& path, const RunOptions& options);

// "qzcrypt: " + text on stderr.
void ReportError(const std::string& text);
// A line on stdout unless quiet.
void ReportInfo(const RunOptions& options, const std::string& line);

}  // namespace qzcli
