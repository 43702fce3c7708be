// The main window: its class "MyWin", creation, placement and window
// procedure. Everything here runs on the window thread.
#pragma once

#include <windows.h>

// Registers "MyWin" for the instance that holds the resources; 0 on failure.
ATOM RegisterMainClass(HINSTANCE instance);

// Creates the fixed-size main window, centred, with the empty 9 x 9 board.
HWND CreateMainWindow(HINSTANCE instance);

// How the message loop takes the next message: GetMessageA, or a stand-in
// for a failure that cannot be brought about on purpose.
using GetMessageFunction = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT);

// The exit code when the message loop cannot get its next message.
constexpr int kMessageLoopFailed = 1;

// The message loop of the main window: accelerators first, then translation
// and dispatch, until the quit message. Returns the quit message's exit code,
// or kMessageLoopFailed when GetMessageA fails.
int RunMessageLoop(HWND window, HACCEL accelerators, GetMessageFunction getMessage = GetMessageA);

// Moves the window to the middle of the desktop, size unchanged. Returns 0.
int CenterWindow(HWND window);

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
