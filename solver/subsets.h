// Naked subsets in rows and columns: s empty cells of a line that share the
// same s candidates take those digits from every other empty cell of the line.
// Called cell by cell from Propagate.
#pragma once

void CellSubsetCheck(int x, int y);
// CellSubsetCheck on every cell in reading order, as one pass of Propagate
// runs it.
void SubsetPass();
void RowSubsetElimination(int x, int y, int s);
void ColumnSubsetElimination(int x, int y, int s);
