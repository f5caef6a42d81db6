// The bytes of an age file as a reader needs them: binary files as they are, armored
// ones ("-----BEGIN AGE ENCRYPTED FILE-----", strict PEM with padded base64 in lines of
// 64 columns) decoded on the fly, so that a file of any size streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "fs/file_streams.h"

namespace qz {

class AgeSource {
 public:
  explicit AgeSource(InputFile& file);
  ~AgeSource();
  AgeSource(const AgeSource&) = delete;
  AgeSource& operator=(const AgeSource&) = delete;

  // Reads up to len bytes of the binary form; fewer only at its end (eof), on a read
  // error (readError) or where the armor breaks its rules (badArmor).
  std::size_t Read(std::uint8_t* data, std::size_t len);
  bool eof() const { return eof_; }
  bool readError() const { return readError_; }
  bool badArmor() const { return badArmor_; }
  bool armored() const { return mode_ == Mode::kArmored; }
  // Bytes taken from the file so far.
  std::uint64_t fileBytes() const { return fileBytes_; }
  // False when the text buffer could not be allocated.
  bool ok() const { return text_ != nullptr; }

 private:
  enum class Mode { kUnknown, kBinary, kArmored };
  enum class Armor { kBody, kLastLine, kTrailer, kDone };

  bool FillText();
  bool NextLine(const char** line, std::size_t* len, bool* ended);
  bool DecodeNextLine();
  std::size_t ReadFile(std::uint8_t* data, std::size_t len);
  std::size_t Fail(bool* flag, std::size_t done);
  bool RefuseArmor();

  InputFile& file_;
  Mode mode_ = Mode::kUnknown;
  Armor armor_ = Armor::kBody;
  std::unique_ptr<char[]> text_;
  std::size_t textStart_ = 0;
  std::size_t textEnd_ = 0;
  bool fileEnded_ = false;
  std::uint8_t line_[48] = {};  // one decoded line
  std::size_t lineStart_ = 0;
  std::size_t lineEnd_ = 0;
  std::uint64_t fileBytes_ = 0;
  bool eof_ = false;
  bool readError_ = false;
  bool badArmor_ = false;
};

}  // namespace qz
