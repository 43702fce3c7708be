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
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(window, accelerators, &message) != 0) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
