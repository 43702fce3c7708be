// Puzzles as printable A4 pages of SVG: clues only, thin lines between cells
// and lines twice as thick at box edges (as the window draws them), a caption
// under each board. Six 9x9 boards a page, two 16x16 or one 25x25; a new
// page starts where the board size changes. Lengths are millimetres.
#pragma once

#include <string>
#include <vector>

#include "maker/maker.h"

struct PageBoard {
  MakerBoard board;
  std::string caption;
};

// Where the board in place `slot` (0 for the first) of a page of `size`
// boards lies: its left and top edges and its side.
struct BoardPlace {
  double left, top, side;
};
BoardPlace PlaceOnPage(int size, int slot);

// One SVG document a page.
std::vector<std::string> SvgPages(const std::vector<PageBoard>& boards);
