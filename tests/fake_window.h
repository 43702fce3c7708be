// A recording stand-in for the window, for the core's tests. It records every
// call the core makes on the window, and mimics what matters for the worker
// protocol: a result message box shown from the worker first sends a message
// to the window thread (as disabling its owner window does) and waits until
// the window thread has handled it.
#pragma once

#include <functional>
#include <vector>

#include "solver/window_hooks.h"

enum class WindowCall {
  kDrawBoard,
  kDrawAllCells,
  kDrawCell,
  kDrawProgressCell,
  kCheckMenu,
  kEnableStartSearch,
  kResultMessage,
};

struct RecordedCall {
  WindowCall call;
  int a;          // x, command id, enabled flag or ResultMessage
  int b;          // y or checked flag
  bool onWorker;  // made from a thread other than the one that reset the fake
  int worker;     // which worker made it (1, 2, ...), 0 on the window thread
  int digit;      // for the cell drawings: the digit the cell shows then
};

// Forgets every recorded call and makes the calling thread the window thread.
void ResetFakeWindow();
std::vector<RecordedCall> RecordedCalls();
int CountCalls(WindowCall call);

// Runs `gate` inside every DrawProgressCell / DrawCell call from the worker,
// before it is recorded; lets a test hold the worker at a known point.
void SetProgressGate(std::function<void()> gate);
void SetPlacementGate(std::function<void()> gate);

// A call from a worker that had already been waited for (a second worker
// beside the new one, or a worker outliving its stop).
bool LateWorkerCallSeen();
// Marks every worker seen so far as finished; a later call from one of them
// counts as late.
void RetireWorkers();

// How many messages from the worker the window thread has handled so far.
int SentMessagesHandled();

// A message sent to the window from another thread (another program's
// WM_CLOSE, a command sent from outside): blocks, as SendMessage does, until
// the window thread has run `handler` inside HandleSentMessages, that is
// while it waits for a worker.
void SendToWindowThread(std::function<void()> handler);
