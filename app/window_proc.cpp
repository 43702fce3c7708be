// The window procedure: a switchboard from messages to their handlers.
#include <windowsx.h>

#include <new>

#include "app/commands.h"
#include "app/input.h"
#include "app/puzzle_io.h"
#include "app/shell.h"
#include "solver/board.h"
#include "solver/window_hooks.h"
#include "solver/worker.h"
#include "view/canvas.h"

namespace {

void OnCreate(HWND window) {
  CenterWindow(window);
  board.gridSize = 9;
  board.cursor = {0, 0};
  board.searchStopped.store(1);
  BeginSearching();
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

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

}  // namespace

// An exception must not leave the window procedure: the system code between
// here and the message loop cannot pass it on, and the program would end
// with the user's board. The handler that threw has stopped where it was;
// the user is told and the window goes on.
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const char* failure = nullptr;
  try {
    return Dispatch(window, message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    failure = "メモリが足りないため、操作を中断しました。";
  } catch (...) {
    failure = "エラーのため、操作を中断しました。";
  }
  MessageBoxA(IsWindow(window) ? window : nullptr, failure, "Error", MB_OK);
  return 0;
}
