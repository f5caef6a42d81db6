// Standard base64 (RFC 4648, section 4), strict both ways: the encoder writes the
// canonical form, the decoder takes nothing else (no other characters, no stray bits in
// the last character, padding exactly when asked for).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qz {

std::string EncodeBase64(const std::uint8_t* data, std::size_t len, bool padded);
// Decodes all len characters into at most outMax bytes. False for anything not
// canonical or too long for out.
bool DecodeBase64(const char* text, std::size_t len, bool padded, std::uint8_t* out,
                  std::size_t outMax, std::size_t* outLen);
// Characters a canonical text of that many bytes has.
inline constexpr std::size_t Base64Length(std::size_t bytes, bool padded) {
  return padded ? (bytes + 2) / 3 * 4 : bytes / 3 * 4 + (bytes % 3 == 0 ? 0 : bytes % 3 + 1);
}

}  // namespace qz
