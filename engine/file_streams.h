// Unbuffered binary files with the read/write semantics of the format's streams:
// a read fills the request unless it meets the end of the file, which sets eof.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
};

// A new file under a temporary name in the destination's folder. It becomes the
// destination only through Commit, after it is complete and on stable storage;
// otherwise the destructor removes it.
class TempOutput {
 public:
  TempOutput() = default;
  ~TempOutput();
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;

  // Creates the temporary file beside destination. False on failure.
  bool Create(const std::string& destination);
  bool Write(const std::uint8_t* data, std::size_t len);
  // Flushes to stable storage and closes, checking every error.
  bool Finish();
  // Renames the finished file over the destination, durably. A read-only destination
  // is replaced only when replaceReadOnly is set; its attributes come back on failure.
  bool Commit(bool replaceReadOnly);
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

}  // namespace qz
