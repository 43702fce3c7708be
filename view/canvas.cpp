#include "view/canvas.h"

HDC canvas = nullptr;
int canvasWidth = 0;
int canvasHeight = 0;
HPEN gridPen = nullptr;
std::recursive_mutex canvasLock;

namespace {

// The bitmap selected into the canvas, deleted with it.
HBITMAP canvasBitmap = nullptr;
HGDIOBJ defaultBitmap = nullptr;

}  // namespace

void CreateCanvas(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(canvasLock);
  canvasWidth = GetSystemMetrics(SM_CXSCREEN);
  canvasHeight = GetSystemMetrics(SM_CYSCREEN);
  HDC windowDc = GetDC(window);
  canvas = CreateCompatibleDC(windowDc);
  // Compatible with the window's context, not the memory one, which would
  // give a one-bit bitmap.
  canvasBitmap = CreateCompatibleBitmap(windowDc, canvasWidth, canvasHeight);
  defaultBitmap = SelectObject(canvas, canvasBitmap);
  SelectObject(canvas, GetStockObject(WHITE_BRUSH));
  PatBlt(canvas, 0, 0, canvasWidth, canvasHeight, PATCOPY);
  gridPen = static_cast<HPEN>(GetCurrentObject(canvas, OBJ_PEN));
  ReleaseDC(window, windowDc);
}

void ReleaseCanvas() {
  std::lock_guard<std::recursive_mutex> lock(canvasLock);
  if (canvas == nullptr) return;
  SelectObject(canvas, defaultBitmap);
  DeleteObject(canvasBitmap);
  DeleteDC(canvas);
  canvas = nullptr;
  canvasBitmap = nullptr;
  defaultBitmap = nullptr;
}

void CopyCanvas(HDC target) {
  std::lock_guard<std::recursive_mutex> lock(canvasLock);
  if (canvas == nullptr) return;
  BitBlt(target, 0, 0, canvasWidth, canvasHeight, canvas, 0, 0, SRCCOPY);
}
