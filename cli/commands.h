// A run's files through one session of the operations layer, each with its report line.
#pragma once

#include <memory>
#include <string>

#include "crypto/secret.h"
#include "front_end.h"
#include "steps/cancel_token.h"

namespace qzops {
class DecryptionKeyPool;
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
  // Strong keys made ahead for the run's files (new strong files, and those decrypted);
  // null: each file makes its own.
  qzops::StrongKeyPool* keyPool = nullptr;
  qzops::DecryptionKeyPool* decryptionKeys = nullptr;
  // An interrupt's request to stop the file in hand; null: none stops it.
  const qz::CancelToken* cancel = nullptr;
};

class TerminalSession {
 public:
  // options stay as they are for the session's life.
  TerminalSession(qzops::FileCommand command, const RunOptions& options);
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // True when the file was done; a failure has been reported on stderr. A file stopped
  // by an interrupt counts as failed; the caller asks Interrupted(). Each file's password
  // is wiped as it ends.
  bool Run(const std::string& path);

 private:
  struct Parts;
  qzops::FileCommand m_command;
  std::unique_ptr<Parts> m_parts;
};

// "qzcrypt: " + text on stderr.
void ReportError(const std::string& text);
// A line on stdout unless quiet.
void ReportInfo(const RunOptions& options, const std::string& line);

}  // namespace qzcli
