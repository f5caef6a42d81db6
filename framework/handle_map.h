// The wrapper objects of one kind of handle (windows, menus) on this thread: at most one
// object a handle, found again from the handle that the system's callbacks carry.
// Per thread, because a window's or menu's messages come only to the thread that made it.
#pragma once

#include <unordered_map>

template <typename Handle, typename Object>
class HandleMap {
 public:
  static Object* FromHandle(Handle handle) {
    auto found = Map().find(handle);
    return found == Map().end() ? nullptr : found->second;
  }

  // Binds object to handle and stores handle in slot, the object's own handle member.
  // False when handle is null, slot already holds one, or another object holds handle.
  static bool Attach(Object* object, Handle& slot, Handle handle) {
    if (!handle || slot || FromHandle(handle)) return false;
    Map()[handle] = object;
    slot = handle;
    return true;
  }

  // Unbinds the handle in slot and clears slot; returns the handle (null when none).
  static Handle Detach(Handle& slot) {
    Handle handle = slot;
    if (handle) Map().erase(handle);
    slot = nullptr;
    return handle;
  }

  static const std::unordered_map<Handle, Object*>& Entries() { return Map(); }

 private:
  static std::unordered_map<Handle, Object*>& Map() {
    thread_local std::unordered_map<Handle, Object*> map;
    return map;
  }
};
