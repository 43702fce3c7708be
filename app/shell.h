// The main window: its class "MyWin", creation, placement and window
// procedure. Everything here runs on the window thread.
#pragma once

#include <windows.h>

// Registers "MyWin" for the instance that holds the resources; 0 on failure.
ATOM RegisterMainClass(HINSTANCE instance);

// Creates the fixed-size main window, centred, with the empty 9 x 9 board.
HWND CreateMainWindow(HINSTANCE instance);

// Moves the window to the middle of the desktop, size unchanged. Returns 0.
int CenterWindow(HWND window);

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
