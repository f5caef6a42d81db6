#include "steps/operation_steps.h"

#include <new>

#include "crypto/secure_wipe.h"
#include "fs/file_system.h"

namespace qz {

void WipingDelete::operator()(std::uint8_t* data) const {
  SecureWipe(data, bytes);
  delete[] data;
}

IoBuffer AllocateBuffer(std::size_t bytes) {
  return IoBuffer(new (std::nothrow) std::uint8_t[bytes], WipingDelete{bytes});
}

EncryptStep OpenForEncryption(const std::string& source, const std::string& destination,
                              const CipherOptions& options, InputFile* in, TempOutput* out) {
  if (!in->Open(source)) return EncryptStep::kOpenSource;
  if (options.refuseOtherLinks && in->snapshot().links > 1) return EncryptStep::kHasOtherLinks;
  if (IsDirectory(destination)) return EncryptStep::kCreateDest;
  if (!options.overwriteDestination && PathExists(destination)) return EncryptStep::kDestinationExists;
  if (!out->Create(destination)) return EncryptStep::kCreateDest;
  return EncryptStep::kOk;
}

}  // namespace qz
