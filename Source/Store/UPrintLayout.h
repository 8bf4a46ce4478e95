#pragma once
// The arithmetic of a printed table, apart from any printer: how the columns
// share the line and how many pages the rows need. Values are device units.

#include <cstdint>
#include <vector>

namespace tv {

// Shares available units out over the columns by their relative widths, as
// whole rounds over the columns in order and one last round that may stop
// part-way (so earlier columns can get one increment more); the column that
// grew last gives back the overshoot, so the widths add up to exactly
// available. A relative width of 0 or less gets no share. With no column of
// positive relative width, or available below 0, every width is 0.
std::vector<int32_t> ShareColumnWidths(const std::vector<int32_t>& relative, int32_t available);

// The widths again, each column at least as wide as the units its text
// needs where the others can spare them: a column short of its need takes
// the units from the widest other column, never below that one's own need,
// then from the next widest. The widths keep their sum.
std::vector<int32_t> FitColumnsToTexts(std::vector<int32_t> widths, const std::vector<int32_t>& needed);

// The line heights and the page height of a printed table.
struct TPageMetrics {
    int32_t PageHeight = 0;  // printable height
    int32_t PageLine = 0;    // page header and page footer line
    int32_t HeaderLine = 0;  // caption row and footer row
    int32_t RowLine = 0;     // data row

    // The limit rows must end on or above: the top of the page footer band.
    int32_t Limit() const { return PageHeight - PageLine; }
    // Top of the table on a fresh page, below the page header.
    int32_t TableTop() const { return PageLine + PageLine / 2; }
    // A fresh page holds its header, the caption row, one data row and the
    // footer row, so every row can be placed and the footer follows a row.
    bool Fits() const;
};

// Pages of a table of rows rows whose caption row starts at y on page 1:
// each page holds the caption row and as many rows as end on or above the
// limit; the last row moves to a new page when the footer row would not
// follow it. Needs Fits().
int32_t CountPages(const TPageMetrics& m, int32_t y, int32_t rows);

// True when a data row starting at y must go to the next page; last is true
// for the last row, which keeps the footer row with it.
bool RowNeedsNewPage(const TPageMetrics& m, int32_t y, bool last);

} // namespace tv
