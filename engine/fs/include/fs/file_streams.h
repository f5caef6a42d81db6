// Unbuffered binary files with the read/write semantics of the format's streams:
// a read fills the request unless it meets the end of the file, which sets eof.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fs/file_snapshot.h"

namespace qz {

#ifdef _WIN32
using NativeHandle = void*;
#else
using NativeHandle = int;
#endif

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens an existing regular file for reading. False on failure.
  bool Open(const std::string& path);
  // The file as it was when opened, with the bytes read so far.
  FileSnapshot snapshot() const;
  // Reads up to len bytes; fewer only at the end of the file (eof) or on error.
  std::size_t Read(std::uint8_t* data, std::size_t len);
  bool eof() const { return eof_; }
  bool error() const { return error_; }
  void Close();

 private:
  NativeHandle handle_{};
  bool open_ = false;
  bool eof_ = false;
  bool error_ = false;
  FileSnapshot snapshot_;
};

enum class CommitResult { kOk, kExists, kFailed };

// A new file under a temporary name in the destination's folder. It becomes the
// destination only through Commit, after it is complete and on stable storage;
// otherwise the destructor removes it.
class TempOutput {
 public:
  TempOutput() = default;
  ~TempOutput();
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;

  // Creates the temporary file beside destination, readable by its owner only. False
  // on failure.
  bool Create(const std::string& destination);
  bool Write(const std::uint8_t* data, std::size_t len);
  // Overwrites bytes already written at offset (a header filled in last). Comes after
  // the last Write.
  bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t len);
  // After the last write: the source's last-write time, and on POSIX its permission
  // bits, without write bits for an encrypted output and with the owner's for a
  // decrypted one.
  bool TakeOver(const FileSnapshot& source, bool encryptedOutput);
  // Flushes to stable storage and closes, checking every error.
  bool Finish();
  // Renames the finished file to the destination, durably. An existing destination is
  // replaced only when replaceExisting is set (kExists otherwise, also when one appears
  // meanwhile), a read-only one only when replaceReadOnly is set too; its attributes
  // come back on failure.
  CommitResult Commit(bool replaceExisting, bool replaceReadOnly);
  // Closes and removes the temporary file if it was not committed.
  void Discard();

  const std::string& temp_path() const { return tempPath_; }

 private:
  NativeHandle handle_{};
  bool open_ = false;
  bool committed_ = false;
  std::string tempPath_;
  std::string destination_;
};

// Whether the last output written failed because its disk (or the user's quota) was
// full: a write, flush or close since its TempOutput::Create ended with that error.
bool OutputFailedForSpace();

// Removes the temporary file of the output being written, if any. Safe to call from a
// signal handler: a second Ctrl-C must not leave plaintext behind.
void RemoveUnfinishedOutputNow();

}  // namespace qz
