#include "sent_messages.h"

namespace {

thread_local ULONGLONG t_lastAnswered = 0;

// Runs for every message this thread's windows are sent while they are made, filled,
// activated and destroyed: the points where a sent message can be answered in between.
LRESULT CALLBACK AnswerInBetween(int code, WPARAM wParam, LPARAM lParam) {
  const ULONGLONG now = ::GetTickCount64();
  // A list of thousands of items is filled message by message: one look per tick is enough.
  if (code == HC_ACTION && now != t_lastAnswered) {
    t_lastAnswered = now;
    // Delivers what was sent to this thread; posted messages and input stay queued, so
    // nothing starts in between.
    MSG sent;
    ::PeekMessageW(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

SentMessagesAnswered::SentMessagesAnswered()
    : m_hook(::SetWindowsHookExW(WH_CALLWNDPROC, &AnswerInBetween, nullptr, ::GetCurrentThreadId())) {}

SentMessagesAnswered::~SentMessagesAnswered() {
  if (m_hook) ::UnhookWindowsHookEx(m_hook);
}
