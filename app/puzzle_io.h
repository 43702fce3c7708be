// Puzzles in and out of the window, on the window thread: paste and copy
// through the clipboard, files dropped on the window, and the file named on
// the command line. Everything that puts a board in stops a running solve
// first and, when it refuses what it was given, says why and leaves the board
// as it was; copying leaves a running solve alone.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Ctrl+V and Shift+Insert paste, Ctrl+C copies the board as shown, Ctrl+Shift+C
// its clues alone. True when the key was one of those and has been handled.
bool HandlePuzzleKey(HWND window, UINT key);

// The puzzle in the clipboard's text (Unicode text first, else ANSI text).
void PastePuzzle(HWND window);

// The board as text into the clipboard: the clues alone, or every digit shown.
void CopyPuzzle(HWND window, bool cluesOnly);

// A file from outside: an input-data file (told by its header) read under the
// load command's rules, anything else through the reader of puzzle text.
void OpenPuzzleFile(HWND window, const wchar_t* path);

// WM_DROPFILES: opens the first file dropped, says so when there were more,
// and releases the drop.
void OnDropFiles(HWND window, HDROP drop);

// The file named as the first argument of a command line, if any.
void OpenCommandLineFile(HWND window, const wchar_t* commandLine);
