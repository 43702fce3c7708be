// The off-screen canvas all board drawing goes to, and the one lock that keeps
// drawing operations of the window thread and the solve worker from
// overlapping on it. The window thread makes the canvas on WM_CREATE and
// releases it on WM_DESTROY (or a confirmed Exit); after that, every drawing
// operation and every paint is a no-op.
#pragma once

#include <windows.h>

#include <mutex>

// Between two drawing operations the canvas holds its screen-sized bitmap, the
// stock white brush, gridPen (its default black pen), the default font and a
// white opaque background. A drawing operation that selects or changes any of
// these puts it back before it lets go of canvasLock.
extern HDC canvas;
extern int canvasWidth;
extern int canvasHeight;
extern HPEN gridPen;

// Held across each whole drawing operation and the copy in WM_PAINT; recursive
// because DrawBoard runs DrawAllCells, which runs DrawCell.
extern std::recursive_mutex canvasLock;

// Makes the canvas for the main window, filled white.
void CreateCanvas(HWND window);

// Deletes the canvas and its bitmap. Safe to call twice.
void ReleaseCanvas();

// Copies the whole canvas into a window's paint device context.
void CopyCanvas(HDC target);
