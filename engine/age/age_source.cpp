#include "age/age_source.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "age/base64_text.h"
#include "crypto/secure_wipe.h"

namespace qz {

namespace {

constexpr std::string_view kBeginLine = "-----BEGIN AGE ENCRYPTED FILE-----";
constexpr std::string_view kEndLine = "-----END AGE ENCRYPTED FILE-----";
constexpr std::size_t kTextBytes = 64 * 1024;
constexpr std::size_t kArmorColumns = 64;
// age refuses 1 KiB or more after the end line.
constexpr std::size_t kTrailerLimit = 1024;

// Length of the white-space character text starts with, as age trims it (Unicode's
// White_Space in UTF-8), or 0.
std::size_t WhiteSpaceAt(std::string_view text) {
  static constexpr std::string_view kWide[] = {
      "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\xA8", "\xE2\x80\xA9",
      "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
  const unsigned char first = static_cast<unsigned char>(text[0]);
  if (first == ' ' || (first >= '\t' && first <= '\r')) return 1;
  // U+2000 to U+200A
  if (text.size() >= 3 && text.compare(0, 2, "\xE2\x80") == 0 &&
      static_cast<unsigned char>(text[2]) <= 0x8A) {
    return 3;
  }
  for (std::string_view wide : kWide) {
    if (text.compare(0, wide.size(), wide) == 0) return wide.size();
  }
  return 0;
}

bool AllWhiteSpace(std::string_view text) {
  while (!text.empty()) {
    const std::size_t n = WhiteSpaceAt(text);
    if (n == 0) return false;
    text.remove_prefix(n);
  }
  return true;
}

}  // namespace

AgeSource::AgeSource(InputFile& file) : file_(file), text_(new (std::nothrow) char[kTextBytes]) {}

AgeSource::~AgeSource() { SecureWipe(line_, sizeof line_); }

std::size_t AgeSource::Fail(bool* flag, std::size_t done) {
  *flag = true;
  return done;
}

bool AgeSource::RefuseArmor() {
  badArmor_ = true;
  return false;
}

// Moves what is left to the front and reads more behind it.
bool AgeSource::FillText() {
  if (fileEnded_) return true;
  std::memmove(text_.get(), text_.get() + textStart_, textEnd_ - textStart_);
  textEnd_ -= textStart_;
  textStart_ = 0;
  textEnd_ += ReadFile(reinterpret_cast<std::uint8_t*>(text_.get()) + textEnd_, kTextBytes - textEnd_);
  return !readError_;
}

std::size_t AgeSource::ReadFile(std::uint8_t* data, std::size_t len) {
  const std::size_t got = file_.Read(data, len);
  fileBytes_ += got;
  if (file_.error()) readError_ = true;
  else if (file_.eof()) fileEnded_ = true;
  return got;
}

// The next line without its end ("\n", or "\r\n"); ended tells whether one followed.
// False at the end of the file and on a read error. A line that fills the whole
// buffer comes back as it is, to be refused as too long.
bool AgeSource::NextLine(const char** line, std::size_t* len, bool* ended) {
  for (;;) {
    const char* begin = text_.get() + textStart_;
    const std::size_t avail = textEnd_ - textStart_;
    const void* lf = std::memchr(begin, '\n', avail);
    if (lf) {
      std::size_t n = static_cast<std::size_t>(static_cast<const char*>(lf) - begin);
      textStart_ += n + 1;
      *ended = true;
      if (n > 0 && begin[n - 1] == '\r') --n;
      *line = begin;
      *len = n;
      return true;
    }
    if (fileEnded_ || avail == kTextBytes) {
      if (avail == 0) return false;
      textStart_ = textEnd_;
      *line = begin;
      *len = avail;
      *ended = false;
      return true;
    }
    if (!FillText()) return false;
  }
}

bool AgeSource::DecodeNextLine() {
  const char* line = nullptr;
  std::size_t len = 0;
  bool ended = false;
  if (armor_ == Armor::kTrailer) {
    // Only white space may follow the end line, and less than the limit of it.
    std::string trailer;
    for (;;) {
      trailer.append(text_.get() + textStart_, textEnd_ - textStart_);
      textStart_ = textEnd_;
      if (trailer.size() >= kTrailerLimit) return RefuseArmor();
      if (fileEnded_) break;
      if (!FillText()) return false;
    }
    if (!AllWhiteSpace(trailer)) return RefuseArmor();
    armor_ = Armor::kDone;
    return true;
  }
  if (!NextLine(&line, &len, &ended)) {
    return readError_ ? false : RefuseArmor();  // the file ended before the end line
  }
  if (std::string_view(line, len) == kEndLine) {
    armor_ = Armor::kTrailer;
    return true;
  }
  // Full lines of 64 columns; a shorter one, or one with padding, is the last.
  if (armor_ == Armor::kLastLine || !ended || len == 0 || len > kArmorColumns) {
    return RefuseArmor();
  }
  std::size_t got = 0;
  if (!DecodeBase64(line, len, true, line_, sizeof line_, &got)) return RefuseArmor();
  if (got < sizeof line_) armor_ = Armor::kLastLine;
  lineStart_ = 0;
  lineEnd_ = got;
  return true;
}

std::size_t AgeSource::Read(std::uint8_t* data, std::size_t len) {
  if (!text_) return Fail(&readError_, 0);
  if (mode_ == Mode::kUnknown) {
    if (!FillText()) return 0;
    const std::size_t avail = textEnd_ - textStart_;
    const bool armored = avail >= kBeginLine.size() &&
                         std::string_view(text_.get(), kBeginLine.size()) == kBeginLine;
    mode_ = armored ? Mode::kArmored : Mode::kBinary;
    if (armored) {
      const char* line = nullptr;
      std::size_t lineLen = 0;
      bool ended = false;
      if (!NextLine(&line, &lineLen, &ended) || !ended ||
          std::string_view(line, lineLen) != kBeginLine) {
        return Fail(&badArmor_, 0);
      }
    }
  }
  std::size_t done = 0;
  if (mode_ == Mode::kBinary) {
    done = std::min(len, textEnd_ - textStart_);
    std::memcpy(data, text_.get() + textStart_, done);
    textStart_ += done;
    if (done < len && !fileEnded_) done += ReadFile(data + done, len - done);
    if (done < len && fileEnded_) eof_ = true;
    return done;
  }
  while (done < len) {
    if (lineStart_ == lineEnd_) {
      if (armor_ == Armor::kDone) {
        eof_ = true;
        break;
      }
      if (!DecodeNextLine()) break;
      continue;
    }
    const std::size_t take = std::min(len - done, lineEnd_ - lineStart_);
    std::memcpy(data + done, line_ + lineStart_, take);
    lineStart_ += take;
    done += take;
  }
  return done;
}

}  // namespace qz
