#include "age/base64_text.h"

#include <sodium.h>

#include "crypto/crypto_library.h"

namespace qz {

namespace {

int Variant(bool padded) {
  return padded ? sodium_base64_VARIANT_ORIGINAL : sodium_base64_VARIANT_ORIGINAL_NO_PADDING;
}

}  // namespace

std::string EncodeBase64(const std::uint8_t* data, std::size_t len, bool padded) {
  CryptoLibraryReady();
  std::string text(sodium_base64_ENCODED_LEN(len, Variant(padded)), '\0');
  sodium_bin2base64(&text[0], text.size(), data, len, Variant(padded));
  text.resize(Base64Length(len, padded));  // without the terminator
  return text;
}

bool DecodeBase64(const char* text, std::size_t len, bool padded, std::uint8_t* out,
                  std::size_t outMax, std::size_t* outLen) {
  *outLen = 0;
  if (!CryptoLibraryReady()) return false;
  // The length alone rules out what the library would take with padding missing or
  // an impossible last group; it checks the characters and the unused bits itself.
  if (padded ? len % 4 != 0 : len % 4 == 1) return false;
  std::size_t got = 0;
  static const char kNothing = 0;
  if (sodium_base642bin(out, outMax, len ? text : &kNothing, len, nullptr, &got, nullptr,
                        Variant(padded)) != 0) {
    return false;
  }
  // The canonical text of what was decoded has exactly this length.
  if (Base64Length(got, padded) != len) return false;
  *outLen = got;
  return true;
}

}  // namespace qz
