// The save and load commands of the input-data file, on the window thread.
// Both stop a running solve first, even when the dialog is then cancelled.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "file/input_data.h"

// The path last chosen in either dialog; both dialogs open with it.
extern char filePath[256];

// The text and caption of the message for a file that is no board.
extern const char kBadFileText[];

// Command 101: the clues to a file the user picks. The old file is replaced
// only once the new one has been written whole.
void SaveInputData(HWND window);

// Command 102: a board from a file the user picks. A rejected file leaves the
// board, its size and its clues as they were.
void LoadInputData(HWND window);

// The board of an input-data file's bytes, as the load command takes it: a rejected file shows the
// load command's message and leaves the board as it was.
void TakeInputData(HWND window, const std::vector<uint8_t>& bytes);

// A new board of the data's size with its clues, drawn.
void ShowInputData(HWND window, const InputData& data);
