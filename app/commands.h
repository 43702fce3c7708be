// The menu command dispatch of the main window (WM_COMMAND), on the window
// thread. Commands that change the board stop a running solve and wait for it
// before they act.
#pragma once

#include <windows.h>

#include <string>

void OnCommand(HWND window, int commandId);

// The help file beside the program, whatever the current directory is.
std::string HelpFilePath();
// The help file in the folder of the program at `programPath`, a path in the
// ANSI code page.
std::string HelpFileBeside(const std::string& programPath);

// The end of the program, from WM_DESTROY and a confirmed Exit: stops the
// solve and waits for it, so that nothing draws once the canvas is released,
// then posts the quit message.
void EndProgram(HWND window);
