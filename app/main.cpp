// Corvana's entry: the main window and its message loop.
#include <windows.h>

#include "app/puzzle_io.h"
#include "app/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  if (RegisterMainClass(instance) == 0) return 0;
  HWND window = CreateMainWindow(instance);
  if (window == nullptr) return 0;
  HACCEL accelerators = LoadAcceleratorsA(instance, "MYMENU");
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  OpenCommandLineFile(window, GetCommandLineW());
  return RunMessageLoop(window, accelerators);
}
