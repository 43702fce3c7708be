// The save and load commands of the input-data file, on the window thread.
// Both stop a running solve first, even when the dialog is then cancelled.
#pragma once

#include <windows.h>

// The path last chosen in either dialog; both dialogs open with it.
extern char filePath[256];

// Command 101: the clues to a file the user picks. The old file is replaced
// only once the new one has been written whole.
void SaveInputData(HWND window);

// Command 102: a board from a file the user picks. A rejected file leaves the
// board, its size and its clues as they were.
void LoadInputData(HWND window);
