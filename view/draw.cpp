// The drawing operations the solver core and the commands call. Each one runs
// whole under canvasLock, so the window thread and the solve worker never draw
// on the canvas at the same time; the window is invalidated after the lock is
// let go.
#include <cstdio>
#include <cstring>

#include "solver/board.h"
#include "view/board_look.h"
#include "view/canvas.h"
#include "view/gdi_guard.h"

namespace {

// Face name of the cell font, "ＭＳ ゴシック" in code page 932.
const char kCellFontFace[] = "ＭＳ ゴシック";

HFONT CreateCellFont() {
  return CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, kCellFontFace);
}

bool OnBoard(int x, int y) { return x >= 0 && y >= 0 && x < board.gridSize && y < board.gridSize; }

bool IsCell(CellPos cell, int x, int y) { return cell.x == x && cell.y == y; }

COLORREF DigitColour(int x, int y) {
  if (board.given[x][y] != 0) return kGivenDigitColour;
  if (board.fixed[x][y] != 0) return kFixedDigitColour;
  return kSearchDigitColour;
}

int CellOrigin(int index) { return board.boardOffset + kCellPitch * index; }

void WriteDigit(HDC dc, int x, int y) {
  char text[8];  // per call: both threads write digits
  std::snprintf(text, sizeof text, "%2d", static_cast<int>(board.shown[x][y]));
  SetTextColor(dc, DigitColour(x, y));
  TextOutA(dc, CellOrigin(x) + 13, CellOrigin(y) + 13, text, static_cast<int>(std::strlen(text)));
}

// The cell square never covers a grid line, nor the second line of a box edge.
void PaintCell(int x, int y) {
  COLORREF colour = kCellColour;
  if (IsCell(board.cursor, x, y)) {
    colour = kCursorColour;
  } else if (IsCell(board.conflictAt, x, y) || IsCell(board.conflictOther, x, y)) {
    colour = kConflictColour;
  }
  const int n = board.boxSize;
  {
    GdiObject pen(CreatePen(PS_SOLID, 1, colour));
    GdiObject brush(CreateSolidBrush(colour));
    SelectGuard selectPen(canvas, pen.get());
    SelectGuard selectBrush(canvas, brush.get());
    Rectangle(canvas, CellOrigin(x) + 11 + (x % n == 0), CellOrigin(y) + 11 + (y % n == 0),
              CellOrigin(x) + 30, CellOrigin(y) + 30);
  }
  GdiObject font(CreateCellFont());
  SelectGuard selectFont(canvas, font.get());
  SetBkColor(canvas, colour);
  if (board.shown[x][y] != 0) WriteDigit(canvas, x, y);
  SetBkColor(canvas, kCellColour);
}

void PaintAllCells() {
  for (int y = 0; y < board.gridSize; ++y) {
    for (int x = 0; x < board.gridSize; ++x) PaintCell(x, y);
  }
}

// Light-blue frame along the client edges and a cross-hatch on white inside.
void PaintBackground(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  PatBlt(canvas, 0, 0, canvasWidth, canvasHeight, PATCOPY);
  GdiObject pen(CreatePen(PS_SOLID, 1, kBackgroundColour));
  GdiObject brush(CreateHatchBrush(HS_CROSS, kBackgroundColour));
  SelectGuard selectPen(canvas, pen.get());
  SelectGuard selectBrush(canvas, brush.get());
  Rectangle(canvas, 0, 0, client.right, client.bottom);
}

void Line(int x0, int y0, int x1, int y1) {
  MoveToEx(canvas, x0, y0, nullptr);
  LineTo(canvas, x1, y1);
}

// Box edges get a second line one pixel further right or down; the second
// vertical line runs one pixel longer, to the corner of the doubled frame.
void PaintGrid() {
  SelectGuard selectPen(canvas, gridPen);
  const int first = board.boardOffset + kGridMargin;
  const int last = first + kCellPitch * board.gridSize;
  for (int k = 0; k <= board.gridSize; ++k) {
    const int at = first + kCellPitch * k;
    const bool boxEdge = k % board.boxSize == 0;
    Line(first, at, last, at);
    if (boxEdge) Line(first, at + 1, last, at + 1);
    Line(at, first, at, last);
    if (boxEdge) Line(at + 1, first, at + 1, last + 1);
  }
}

void Invalidate(HWND window) { InvalidateRect(window, nullptr, TRUE); }

}  // namespace

void DrawBoard(HWND window) {
  {
    std::lock_guard<std::recursive_mutex> lock(canvasLock);
    if (canvas == nullptr) return;
    PaintBackground(window);
    PaintGrid();
    PaintAllCells();
  }
  Invalidate(window);
}

void DrawAllCells(HWND window) {
  {
    std::lock_guard<std::recursive_mutex> lock(canvasLock);
    if (canvas == nullptr) return;
    PaintAllCells();
  }
  Invalidate(window);
}

void DrawCell(HWND, int x, int y) {
  std::lock_guard<std::recursive_mutex> lock(canvasLock);
  if (canvas == nullptr || !OnBoard(x, y)) return;
  PaintCell(x, y);
}

// Straight onto the window, with no square behind the digit: the canvas does
// not hold it, and the next paint wipes it. The lock only keeps it from
// running once the canvas, and with it the window, is gone.
void DrawProgressCell(HWND window, int x, int y) {
  std::lock_guard<std::recursive_mutex> lock(canvasLock);
  if (canvas == nullptr || !OnBoard(x, y)) return;
  HDC dc = GetDC(window);
  {
    GdiObject font(CreateCellFont());
    SelectGuard selectFont(dc, font.get());
    SetBkColor(dc, IsCell(board.cursor, x, y) ? kCursorColour : kCellColour);
    WriteDigit(dc, x, y);
  }
  ReleaseDC(window, dc);
}
