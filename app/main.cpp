// Corvana's entry: the main window and its message loop.
#include <windows.h>

#include "app/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  if (RegisterMainClass(instance) == 0) return 0;
  HWND window = CreateMainWindow(instance);
  if (window == nullptr) return 0;
  HACCEL accelerators = LoadAcceleratorsA(instance, "MYMENU");
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return RunMessageLoop(window, accelerators);
}
