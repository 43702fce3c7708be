#include "tools/silent_window.h"

#include <atomic>

namespace {

// Written by the worker (no solution) or the caller's thread (conflict), read
// after the worker has been joined.
std::atomic<int> lastMessage{-1};

}  // namespace

bool TakeResultMessage(ResultMessage* message) {
  const int last = lastMessage.exchange(-1);
  if (last < 0) return false;
  *message = static_cast<ResultMessage>(last);
  return true;
}

void DrawBoard(WindowHandle) {}
void DrawAllCells(WindowHandle) {}
void DrawCell(WindowHandle, int, int) {}
void DrawProgressCell(WindowHandle, int, int) {}
void CheckMenuCommand(WindowHandle, int, bool) {}
void EnableStartSearch(WindowHandle, bool) {}
void HandleSentMessages(WindowHandle) {}

void ShowResultMessage(WindowHandle, ResultMessage message) {
  lastMessage.store(static_cast<int>(message));
}
