// Everything the solver core asks of the window. The core only declares these;
// the Win32 program defines them in view/ and app/, the command-line tool with
// silent versions, and the tests with a recording fake.
// The drawing calls may come from the window thread or the solve worker.
#pragma once

#ifdef _WIN32
struct HWND__;
typedef HWND__* HWND;
using WindowHandle = HWND;
#else
struct OpaqueWindow;
using WindowHandle = OpaqueWindow*;
#endif

// Redraws the whole canvas, then invalidates the window.
void DrawBoard(WindowHandle window);
// Redraws every cell on the canvas, then invalidates the window.
void DrawAllCells(WindowHandle window);
// Draws one cell on the canvas; cells off the board draw nothing.
void DrawCell(WindowHandle window, int x, int y);
// Writes the digit of one cell straight onto the window (search progress).
void DrawProgressCell(WindowHandle window, int x, int y);

// Sets or clears the check mark of one menu item, by command id.
void CheckMenuCommand(WindowHandle window, int commandId, bool checked);
// Enables or greys the start-search menu item.
void EnableStartSearch(WindowHandle window, bool enabled);

enum class ResultMessage {
  kInputConflict,  // clashing clues; the solve does not start
  kNoSolution,     // the search found no (further) solution
  kCannotStart,    // the worker thread could not be created
};
// Shows a solve result in a modal message box owned by the window (caption
// "Result", OK only) and returns when the user has closed it. Called on the
// window thread (kInputConflict, kCannotStart) and on the worker (kNoSolution).
void ShowResultMessage(WindowHandle window, ResultMessage message);

// Handles the messages other threads have sent to the window thread, without
// taking posted input. Called on the window thread while it waits for the
// worker to end, so that a worker blocked on the window (its message box
// disables the owner window) can go on.
void HandleSentMessages(WindowHandle window);
