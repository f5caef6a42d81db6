#include "decryption_key_pool.h"

#include <algorithm>
#include <utility>

#include "age/strong_file.h"
#include "fs/file_names.h"
#include "key_memory.h"

namespace qzops {

DecryptionKeyPool::DecryptionKeyPool(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (qz::HasStrongExtension(path)) entries_.push_back(Entry{path, State::kWaiting, {}});
  }
}

DecryptionKeyPool::~DecryptionKeyPool() { Stop(); }

bool DecryptionKeyPool::Worthwhile(const std::vector<std::string>& paths) {
  // One file gains nothing: nothing else runs while its own scrypt does.
  return std::count_if(paths.begin(), paths.end(), [](const std::string& path) {
           return qz::HasStrongExtension(path);
         }) >= 2;
}

bool DecryptionKeyPool::Start(const qz::Secret& password, const qz::CancelToken* cancel) {
  started_ = true;
  const std::size_t cores = (std::max)(1u, std::thread::hardware_concurrency());
  const std::size_t count = (std::min)(cores, entries_.size());
  if (count == 0 || password.empty()) return false;
  // The file in hand and two more a thread: few to waste when the batch stops early.
  ahead_ = 2 * count + 1;
  return Launch(password, cancel, count, [this] { Work(); });
}

void DecryptionKeyPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      next_ = (std::max)(next_, cursor_);
      return stopped_ || failed_ || next_ >= entries_.size() || next_ < cursor_ + ahead_;
    });
    if (stopped_ || failed_ || next_ >= entries_.size() || qz::StopRequested(cancel_)) break;
    Make(next_++, lock);
    changed_.notify_all();
  }
  --running_;
  changed_.notify_all();
}

void DecryptionKeyPool::Make(std::size_t i, std::unique_lock<std::mutex>& lock) {
  entries_[i].state = State::kMaking;
  const std::string path = entries_[i].path;
  lock.unlock();
  qz::StrongHeader header;
  const bool strong = qz::ReadStrongHeader(path, &header);
  lock.lock();
  qz::StrongWrapKey key;
  if (strong) {
    // Another derivation beside those under way only while the memory is there for it;
    // not even one: the files derive their own.
    changed_.wait(lock, [&] { return stopped_ || deriving_ == 0 || RoomForDerivation(header.logN); });
    if (!stopped_ && RoomForDerivation(header.logN)) {
      ++deriving_;
      lock.unlock();
      const bool made = key.Derive(password_, header.salt, header.logN);
      lock.lock();
      --deriving_;
      failed_ = failed_ || !made;
    } else if (!stopped_) {
      failed_ = true;
    }
  }
  // A file passed over meanwhile loses its key here.
  const bool wanted = key.ready() && i >= cursor_ && !stopped_;
  entries_[i].key = wanted ? std::move(key) : qz::StrongWrapKey();
  entries_[i].state = wanted ? State::kReady : State::kNone;
}

bool DecryptionKeyPool::Take(const std::string& path, const qz::Secret& password,
                             const qz::CancelToken* cancel, qz::StrongWrapKey* key) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!started_ && !Start(password, cancel)) return false;
  if (stopped_ || password.empty() || !password.Equals(password_)) return false;
  std::size_t found = cursor_;
  while (found < entries_.size() && entries_[found].path != path) ++found;
  if (found == entries_.size()) return false;
  for (std::size_t i = cursor_; i < found; ++i) entries_[i].key.Wipe();
  cursor_ = found;
  changed_.notify_all();
  Entry& entry = entries_[found];
  changed_.wait(lock, [&] {
    return entry.state == State::kReady || entry.state == State::kNone ||
           (entry.state == State::kWaiting && (stopped_ || failed_ || running_ == 0));
  });
  if (entry.state != State::kReady) return false;
  *key = std::move(entry.key);
  entry.state = State::kNone;
  ++taken_;
  return true;
}

void DecryptionKeyPool::Stop() {
  JoinThreads();
  std::lock_guard<std::mutex> lock(mutex_);
  for (Entry& entry : entries_) entry.key.Wipe();
  password_.Clear();
}

}  // namespace qzops
