#include "strong_key_pool.h"

#include <algorithm>
#include <utility>

#include "key_memory.h"

namespace qzops {

StrongKeyPool::StrongKeyPool(std::size_t files) : toMake_(files) {}

StrongKeyPool::~StrongKeyPool() { Stop(); }

std::size_t StrongKeyPool::ThreadsFor(int logN, std::size_t files) {
  if (logN < 1 || logN > 40) return 0;
  const std::uint64_t fit = DerivationsThatFit(logN);
  const std::size_t cores = (std::max)(1u, std::thread::hardware_concurrency());
  return static_cast<std::size_t>((std::min<std::uint64_t>)({cores, fit, files}));
}

bool StrongKeyPool::Start(const qz::Secret& password, int logN, const qz::CancelToken* cancel) {
  started_ = true;
  const std::size_t count = ThreadsFor(logN, toMake_);
  if (count == 0 || password.empty()) return false;
  logN_ = logN;
  // Two keys a thread at most, begun or ready: few to waste when the batch stops early.
  ahead_ = 2 * count;
  return Launch(password, cancel, count, [this] { Work(); });
}

void StrongKeyPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      return stopped_ || failed_ || toMake_ == 0 || ready_.size() + making_ < ahead_;
    });
    if (stopped_ || failed_ || toMake_ == 0) break;
    if (qz::StopRequested(cancel_)) break;
    // Another derivation beside those under way only while the memory is there for it.
    if (making_ > 0 && !RoomForDerivation(logN_)) {
      changed_.wait(lock);
      continue;
    }
    --toMake_;
    ++making_;
    lock.unlock();
    qz::PreparedStrongKey key;
    const bool made = key.Prepare(password_, logN_);
    lock.lock();
    --making_;
    if (made)
      ready_.push_back(std::move(key));
    else
      failed_ = true;  // scrypt lacked memory: the files make their own keys and say so
    changed_.notify_all();
  }
  --running_;
  changed_.notify_all();
}

bool StrongKeyPool::MoreComing() const {
  return !stopped_ && !failed_ && (making_ > 0 || (toMake_ > 0 && running_ > 0));
}

bool StrongKeyPool::Take(const qz::Secret& password, int logN, const qz::CancelToken* cancel,
                         qz::PreparedStrongKey* key) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!started_ && !Start(password, logN, cancel)) return false;
  if (stopped_ || running_ + making_ + ready_.size() == 0 || password.empty() || logN != logN_ ||
      !password.Equals(password_)) {
    return false;
  }
  changed_.wait(lock, [this] { return !ready_.empty() || !MoreComing(); });
  if (ready_.empty()) return false;
  *key = std::move(ready_.front());
  ready_.pop_front();
  ++taken_;
  changed_.notify_all();
  return true;
}

void StrongKeyPool::Stop() {
  JoinThreads();
  std::lock_guard<std::mutex> lock(mutex_);
  ready_.clear();  // each key wipes itself
  password_.Clear();
}

qz::EncryptResult EncryptStrong(StrongKeyPool* pool, const std::string& source,
                                const qz::Secret& password, const qz::TransactionOptions& options) {
  qz::PreparedStrongKey key;
  if (pool && pool->Take(password, options.cipher.workFactor, options.cipher.cancel, &key))
    return qz::ReplaceWithStrongEncrypted(source, std::move(key), options);
  return qz::ReplaceWithStrongEncrypted(source, password, options);
}

}  // namespace qzops
