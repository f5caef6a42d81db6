// Overwrites secrets (passwords, keys, cipher state, decrypted headers) with zeros in a
// way the compiler may not drop as a dead store.
#pragma once

#include <cstddef>
#include <string>

namespace qz {

void SecureWipe(void* data, std::size_t len);

// Wipes an object's bytes when it goes out of scope.
template <typename T>
class WipeOnExit {
 public:
  explicit WipeOnExit(T& object) : object_(object) {}
  ~WipeOnExit() { SecureWipe(&object_, sizeof(T)); }
  WipeOnExit(const WipeOnExit&) = delete;
  WipeOnExit& operator=(const WipeOnExit&) = delete;

 private:
  T& object_;
};

// Wipes a string's characters when it goes out of scope.
template <typename Text>
class WipeTextOnExit {
 public:
  explicit WipeTextOnExit(Text& text) : text_(text) {}
  ~WipeTextOnExit() {
    if (!text_.empty()) SecureWipe(&text_[0], text_.size() * sizeof(text_[0]));
    text_.clear();
  }
  WipeTextOnExit(const WipeTextOnExit&) = delete;
  WipeTextOnExit& operator=(const WipeTextOnExit&) = delete;

 private:
  Text& text_;
};

}  // namespace qz
