// The lock that keeps a copy of the shown layer whole while a solve runs. The
// worker writes shown only while it holds the lock, in whole steps
// (propagation, a drawing of the search's progress, the found solution, the
// clearing after no solution); the window thread takes it to copy the layer.
// Nothing that needs the window thread happens while it is held.
#pragma once

#include <mutex>

extern std::mutex shownLock;
