// The key pools a batch of strong files uses: keys for new strong files (encryption and
// upgrade) and keys for the strong files a decryption opens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decryption_key_pool.h"
#include "front_end.h"
#include "strong_key_pool.h"

namespace qzops {

struct KeyPools {
  StrongKeyPool* encryption = nullptr;
  DecryptionKeyPool* decryption = nullptr;
};

// A batch's own pool in *pools while it lasts, unless one is there already (a caller's for
// a whole run); End or leaving the scope stops it and wipes what is left.
class BatchKeyPool {
 public:
  BatchKeyPool(KeyPools* pools, FileCommand command, const std::vector<std::string>& paths);
  ~BatchKeyPool() { End(); }
  BatchKeyPool(const BatchKeyPool&) = delete;
  BatchKeyPool& operator=(const BatchKeyPool&) = delete;
  void End();
  bool Busy() const;

 private:
  KeyPools* pools_;
  std::unique_ptr<StrongKeyPool> encryption_;
  std::unique_ptr<DecryptionKeyPool> decryption_;
};

}  // namespace qzops
