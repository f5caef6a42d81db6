#include "steps/operation_steps.h"

#include <new>

#include "crypto/secure_wipe.h"
#include "fs/file_names.h"
#include "fs/file_system.h"

namespace qz {

bool PathFits(const std::string& path) {
  if (PathLength(path) > MaxPathLength()) return false;
  const std::size_t sep = LastSeparator(path);
  const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  return PathLength(name) <= MaxNameLength();
}

bool TemporaryPathFits(const std::string& destination) {
  const std::size_t sep = LastSeparator(destination);
  const std::size_t dirLength = sep == std::string::npos ? 0 : PathLength(destination.substr(0, sep + 1));
  return dirLength + 13 <= MaxPathLength();
}

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
