// Geometry and colours of the drawn board, shared by the drawing and the mouse
// hit test. Cells are 20 pixels apart; grid line k of a board lies at
// boardOffset + 10 + 20k on both axes, doubled at box edges.
#pragma once

#include <windows.h>

constexpr int kCellPitch = 20;
constexpr int kGridMargin = 10;

constexpr COLORREF kBackgroundColour = 0x00FFDFDF;  // light blue frame and hatch
constexpr COLORREF kGridColour = 0x00000000;
constexpr COLORREF kCursorColour = 0x00D5D5D5;    // light grey
constexpr COLORREF kConflictColour = 0x00D5D5FF;  // light pink
constexpr COLORREF kCellColour = 0x00FFFFFF;
constexpr COLORREF kGivenDigitColour = 0x000000FF;   // red: typed or loaded
constexpr COLORREF kFixedDigitColour = 0x00FF0000;   // blue: proved
constexpr COLORREF kSearchDigitColour = 0x00000000;  // black: searched
