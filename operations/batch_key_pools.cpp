#include "batch_key_pools.h"

namespace qzops {

BatchKeyPool::BatchKeyPool(KeyPools* pools, FileCommand command, const std::vector<std::string>& paths)
    : pools_(pools) {
  // One file gains nothing: its own scrypt already runs beside its payload.
  const bool newStrongFiles = command == FileCommand::kEncrypt || command == FileCommand::kUpgrade;
  if (newStrongFiles && !pools_->encryption && paths.size() >= 2) {
    encryption_ = std::make_unique<StrongKeyPool>(paths.size());
    pools_->encryption = encryption_.get();
  }
  if (command == FileCommand::kDecrypt && !pools_->decryption && DecryptionKeyPool::Worthwhile(paths)) {
    decryption_ = std::make_unique<DecryptionKeyPool>(paths);
    pools_->decryption = decryption_.get();
  }
}

bool BatchKeyPool::Busy() const {
  return (encryption_ && encryption_->Running()) || (decryption_ && decryption_->Running());
}

void BatchKeyPool::End() {
  if (encryption_) {
    encryption_->Stop();
    pools_->encryption = nullptr;
    encryption_.reset();
  }
  if (decryption_) {
    decryption_->Stop();
    pools_->decryption = nullptr;
    decryption_.reset();
  }
}

}  // namespace qzops
