// Strong files' keys derived ahead in a decryption batch. Each file's header holds its own
// salt and work factor, so the next files' headers are read and their scrypt run on other
// cores while one file is decrypted. A key opens only a header of the salt and work factor
// it was made for: the file's own decryption reads its header again and checks the MAC
// with the file key that header gives, so a file changed meanwhile is judged as it is.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "age/age_header.h"
#include "crypto/secret.h"
#include "steps/cancel_token.h"
#include "key_pool_threads.h"

namespace qzops {

class DecryptionKeyPool : public KeyPoolThreads {
 public:
  // Keys for the strong files among paths, in their order; nothing starts before the
  // first Take.
  explicit DecryptionKeyPool(const std::vector<std::string>& paths);
  ~DecryptionKeyPool();
  DecryptionKeyPool(const DecryptionKeyPool&) = delete;
  DecryptionKeyPool& operator=(const DecryptionKeyPool&) = delete;

  // The key for path, the next file of that name after the last one asked for, waiting
  // for it if need be; the files passed over lose theirs. The first call starts the
  // threads; later calls must give the same password. A request on cancel stops further
  // keys. False: no key (a header no password opens, no memory, stopped, another
  // password): the file derives its own.
  bool Take(const std::string& path, const qz::Secret& password, const qz::CancelToken* cancel,
            qz::StrongWrapKey* key);
  // Waits for the derivations under way, then wipes the password and every key not
  // taken. No thread of the pool runs afterwards.
  void Stop();

  // Whether a batch of these paths has enough strong files to gain from a pool.
  static bool Worthwhile(const std::vector<std::string>& paths);

 private:
  enum class State { kWaiting, kMaking, kReady, kNone };
  struct Entry {
    std::string path;
    State state = State::kWaiting;
    qz::StrongWrapKey key;
  };

  bool Start(const qz::Secret& password, const qz::CancelToken* cancel);
  void Work();
  // Makes entry i's key, the lock held on entry and on return.
  void Make(std::size_t i, std::unique_lock<std::mutex>& lock);

  std::vector<Entry> entries_;
  std::size_t cursor_ = 0;  // the entry last asked for; those before it are passed
  std::size_t next_ = 0;    // the first entry not begun
  std::size_t ahead_ = 0;   // entries begun from the cursor on, at most
  std::size_t deriving_ = 0;
  bool started_ = false;
  bool failed_ = false;
};

}  // namespace qzops
