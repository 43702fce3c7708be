#include "app/shell.h"

namespace {

const char kClassName[] = "MyWin";
const char kTitle[] = "Corvana Ver.1.2a";
// Title bar, system menu and minimise box: no maximise box, no sizing border.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kWindowWidth = 540;
constexpr int kWindowHeight = 564;

}  // namespace

ATOM RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = 0;
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "MYICON");
  windowClass.hIconSm = LoadIconA(instance, "MYICON");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = "MYMENU";
  windowClass.lpszClassName = kClassName;
  return RegisterClassExA(&windowClass);
}

HWND CreateMainWindow(HINSTANCE instance) {
  return CreateWindowExA(0, kClassName, kTitle, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                         kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
}

// GetMessageA returns -1 on a failure, and trying again would fail again:
// the loop ends then, with an exit code of its own.
int RunMessageLoop(HWND window, HACCEL accelerators, GetMessageFunction getMessage) {
  MSG message;
  for (;;) {
    const BOOL got = getMessage(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return kMessageLoopFailed;
    if (TranslateAcceleratorA(window, accelerators, &message) != 0) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Only the desktop's right and bottom enter the formula; on a desktop smaller
// than the window the position goes negative and the size stays.
int CenterWindow(HWND window) {
  RECT desktop;
  RECT own;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  SetWindowPos(window, HWND_TOP, (desktop.right - width) / 2, (desktop.bottom - height) / 2, width,
               height, SWP_SHOWWINDOW);
  return 0;
}
