// Strong files' keys made ahead in a batch. scrypt takes about a second and 256 MiB per
// file whatever its size, and a file's key needs nothing of the file, so the keys of the
// next files are made on other cores while one is written: on as many threads as the
// cores and the free physical memory allow.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "age/prepared_strong_key.h"
#include "crypto/secret.h"
#include "steps/cancel_token.h"
#include "front_end.h"
#include "key_pool_threads.h"
#include "transactions/replace_transaction.h"

namespace qzops {

class StrongKeyPool : public KeyPoolThreads {
 public:
  // Keys for up to files files; nothing starts before the first Take.
  explicit StrongKeyPool(std::size_t files);
  ~StrongKeyPool();
  StrongKeyPool(const StrongKeyPool&) = delete;
  StrongKeyPool& operator=(const StrongKeyPool&) = delete;

  // The next file's key for password at logN, waiting for it if need be. The first call
  // starts the threads; later calls must give the same password and work factor.
  // A request on cancel, read on the pool's threads, stops further keys. False: no key from the
  // pool (no memory or thread for one, a failed derivation, all used, stopped, another
  // password): the caller makes its own.
  bool Take(const qz::Secret& password, int logN, const qz::CancelToken* cancel,
            qz::PreparedStrongKey* key);
  // Ends the pool: waits for the derivations under way (scrypt cannot be stopped
  // half-way), then wipes the password and every key not taken. No thread of the pool
  // runs afterwards.
  void Stop();

  // Derivations at logN that may run at once: no more than the cores, the files, and
  // what the physical memory free now holds beside a margin for the rest of the system.
  static std::size_t ThreadsFor(int logN, std::size_t files);

 private:
  bool Start(const qz::Secret& password, int logN, const qz::CancelToken* cancel);
  void Work();
  bool MoreComing() const;

  std::deque<qz::PreparedStrongKey> ready_;
  int logN_ = 0;
  std::size_t toMake_;      // keys not yet begun
  std::size_t ahead_ = 0;   // keys begun or ready, at most
  std::size_t making_ = 0;  // derivations under way
  bool started_ = false;
  bool failed_ = false;
};

// source -> source + ".age" with a key from pool when it has one, else with password. The
// key is wiped once the file is done, whatever came of it.
qz::EncryptResult EncryptStrong(StrongKeyPool* pool, const std::string& source,
                                const qz::Secret& password, const qz::TransactionOptions& options);

}  // namespace qzops
