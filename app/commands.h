// The menu command dispatch of the main window (WM_COMMAND), on the window
// thread. Commands that change the board stop a running solve and wait for it
// before they act.
#pragma once

#include <windows.h>

#include <string>

void OnCommand(HWND window, int commandId);

// The help file beside the program, whatever the current directory is.
std::string HelpFilePath();

// Stops the solve and releases the canvas: the end of the program, from
// WM_DESTROY and a confirmed Exit.
void EndProgram();
