#include "maker/svg.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr double kPageWidth = 210, kPageHeight = 297, kMargin = 15, kCaptionRoom = 10;

int Columns(int size) { return size == 9 ? 2 : 1; }
int Rows(int size) { return size == 9 ? 3 : (size == 16 ? 2 : 1); }

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

std::string Line(double x1, double y1, double x2, double y2, double width) {
  return "<line x1=\"" + Number(x1) + "\" y1=\"" + Number(y1) + "\" x2=\"" + Number(x2) +
         "\" y2=\"" + Number(y2) + "\" stroke-width=\"" + Number(width) + "\"/>\n";
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

std::string BoardSvg(const PageBoard& page, int slot) {
  const int n = page.board.size;
  const int box = n == 9 ? 3 : (n == 16 ? 4 : 5);
  const BoardPlace at = PlaceOnPage(n, slot);
  const double cell = at.side / n;
  std::string svg = "<g stroke=\"black\" stroke-linecap=\"square\">\n";
  for (int k = 0; k <= n; ++k) {
    const double width = k % box == 0 ? cell / 10 : cell / 20;
    const double p = k * cell;
    svg += Line(at.left, at.top + p, at.left + at.side, at.top + p, width);
    svg += Line(at.left + p, at.top, at.left + p, at.top + at.side, width);
  }
  svg += "</g>\n<g font-family=\"sans-serif\" text-anchor=\"middle\" font-size=\"" +
         Number(cell * 0.6) + "\">\n";
  for (int c = 0; c < n * n; ++c) {
    if (page.board.cells[c] == 0) continue;
    svg += "<text x=\"" + Number(at.left + (c % n + 0.5) * cell) + "\" y=\"" +
           Number(at.top + (c / n + 0.72) * cell) + "\">" + std::to_string(page.board.cells[c]) +
           "</text>\n";
  }
  svg += "</g>\n<text x=\"" + Number(at.left + at.side / 2) + "\" y=\"" +
         Number(at.top + at.side + 6) +
         "\" font-family=\"sans-serif\" font-size=\"4.5\" text-anchor=\"middle\">" +
         Escaped(page.caption) + "</text>\n";
  return svg;
}

}  // namespace

BoardPlace PlaceOnPage(int size, int slot) {
  const double slotWidth = (kPageWidth - 2 * kMargin) / Columns(size);
  const double slotHeight = (kPageHeight - 2 * kMargin) / Rows(size);
  const double side = std::min(slotWidth, slotHeight - kCaptionRoom) * 0.92;
  const int column = slot % Columns(size), row = slot / Columns(size);
  return {kMargin + column * slotWidth + (slotWidth - side) / 2,
          kMargin + row * slotHeight + (slotHeight - kCaptionRoom - side) / 2, side};
}

std::vector<std::string> SvgPages(const std::vector<PageBoard>& boards) {
  std::vector<std::string> pages;
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "width=\"210mm\" height=\"297mm\" viewBox=\"0 0 210 297\">\n"
      "<rect width=\"210\" height=\"297\" fill=\"white\"/>\n";
  int slot = 0;
  for (size_t i = 0; i < boards.size(); ++i) {
    const int size = boards[i].board.size;
    if (i == 0 || size != boards[i - 1].board.size || slot == Columns(size) * Rows(size)) {
      if (!pages.empty()) pages.back() += "</svg>\n";
      pages.push_back(head);
      slot = 0;
    }
    pages.back() += BoardSvg(boards[i], slot++);
  }
  if (!pages.empty()) pages.back() += "</svg>\n";
  return pages;
}
