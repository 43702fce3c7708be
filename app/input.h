// Cell selection and digit entry on the window thread: keys, both mouse
// buttons, and the commands of the digit pop-up. Keys and clicks are ignored
// while a solve worker runs; the pop-up commands stop it first.
#pragma once

#include <windows.h>

// WM_KEYDOWN in its message-cracker form; only the window and the key count.
// The clipboard keys go to puzzle_io.h, also while a solve runs.
void HandleKey(HWND window, UINT key, BOOL down, int repeat, UINT flags);

// WM_LBUTTONDOWN / WM_RBUTTONDOWN at a client position.
void OnLeftButton(HWND window, int x, int y);
void OnRightButton(HWND window, int x, int y);

// Command 700 + d: the digit d into the selected cell.
void EnterDigitCommand(HWND window, int digit);
// Command 600 ("Cancel"): empties the selected cell.
void ClearCellCommand(HWND window);
