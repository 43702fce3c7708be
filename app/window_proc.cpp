// The window procedure: a switchboard from messages to their handlers.
#include <windowsx.h>

#include "app/commands.h"
#include "app/input.h"
#include "app/puzzle_io.h"
#include "app/shell.h"
#include "solver/board.h"
#include "solver/window_hooks.h"
#include "view/canvas.h"

namespace {

void OnCreate(HWND window) {
  CenterWindow(window);
  board.gridSize = 9;
  board.cursor = {0, 0};
  board.searchStopped.store(1);
  EnableStartSearch(window, true);
  CreateCanvas(window);
  DragAcceptFiles(window, TRUE);
  ClearAll();
  ResetBoard(window);
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  CopyCanvas(dc);
  EndPaint(window, &paint);
}

void OnDestroy(HWND window) { EndProgram(window); }

}  // namespace

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_KEYDOWN:
      return HANDLE_WM_KEYDOWN(window, wParam, lParam, HandleKey);
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftButton(window, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_RBUTTONDOWN:
      OnRightButton(window, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
