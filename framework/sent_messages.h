// Answering other threads and programs while this thread makes windows or fills them: a
// dialog or a message box is made window by window, a list item by item, which takes a
// while under load; a message sent here meanwhile is answered in between, not at the end.
#pragma once

#include <windows.h>

class SentMessagesAnswered {
 public:
  SentMessagesAnswered();
  ~SentMessagesAnswered();
  SentMessagesAnswered(const SentMessagesAnswered&) = delete;
  SentMessagesAnswered& operator=(const SentMessagesAnswered&) = delete;

 private:
  HHOOK m_hook;
};
