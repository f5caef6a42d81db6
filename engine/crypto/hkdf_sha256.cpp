#include "crypto/hkdf_sha256.h"

#include <algorithm>

#include "crypto/hmac_sha256.h"
#include "crypto/secure_wipe.h"

namespace qz {

bool HkdfSha256(const std::uint8_t* ikm, std::size_t ikmLen, const std::uint8_t* salt,
                std::size_t saltLen, const std::uint8_t* info, std::size_t infoLen,
                std::uint8_t* out, std::size_t outLen) {
  if (outLen > 255 * kSha256Bytes) return false;
  // HMAC pads its key with zeros, so an empty salt is the 32 zero bytes RFC 5869 asks for.
  std::uint8_t prk[kSha256Bytes];
  WipeOnExit<decltype(prk)> wipePrk(prk);
  {
    HmacSha256 extract(salt, saltLen);
    extract.Update(ikm, ikmLen);
    extract.Final(prk);
  }
  std::uint8_t block[kSha256Bytes];
  WipeOnExit<decltype(block)> wipeBlock(block);
  std::size_t done = 0;
  for (std::uint8_t counter = 1; done < outLen; ++counter) {
    HmacSha256 expand(prk, sizeof prk);
    if (counter > 1) expand.Update(block, sizeof block);
    expand.Update(info, infoLen);
    expand.Update(&counter, 1);
    expand.Final(block);
    const std::size_t take = std::min(sizeof block, outLen - done);
    std::copy(block, block + take, out + done);
    done += take;
  }
  return true;
}

}  // namespace qz
