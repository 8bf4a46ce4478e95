#include "UPrintLayout.h"

#include <algorithm>
#include <cstddef>

namespace tv {

std::vector<int32_t> ShareColumnWidths(const std::vector<int32_t>& relative, int32_t available)
{
    std::vector<int32_t> widths(relative.size(), 0);
    int64_t round = 0;
    for (int32_t r : relative)
        if (r > 0)
            round += r;
    if (round == 0 || available <= 0)
        return widths;
    // Whole rounds at once, then the part-way round one column at a time.
    const int64_t whole = available / round;
    int64_t left = available - whole * round;
    std::size_t lastGrown = 0;
    for (std::size_t i = 0; i < relative.size(); ++i)
        if (relative[i] > 0) {
            widths[i] = static_cast<int32_t>(whole * relative[i]);
            lastGrown = i;
        }
    for (std::size_t i = 0; i < relative.size() && left > 0; ++i) {
        if (relative[i] <= 0)
            continue;
        widths[i] += relative[i];
        left -= relative[i];
        lastGrown = i;
    }
    widths[lastGrown] += static_cast<int32_t>(left);
    return widths;
}

std::vector<int32_t> FitColumnsToTexts(std::vector<int32_t> widths, const std::vector<int32_t>& needed)
{
    const std::size_t n = std::min(widths.size(), needed.size());
    auto spare = [&](std::size_t j) { return int64_t(widths[j]) - (j < n ? needed[j] : 0); };
    for (std::size_t i = 0; i < n; ++i) {
        int64_t lack = int64_t(needed[i]) - widths[i];
        while (lack > 0) {
            std::size_t giver = i;
            for (std::size_t j = 0; j < widths.size(); ++j)
                if (j != i && spare(j) > 0 && (giver == i || widths[j] > widths[giver]))
                    giver = j;
            if (giver == i)
                break;
            const int32_t taken = static_cast<int32_t>(std::min(lack, spare(giver)));
            widths[giver] -= taken;
            widths[i] += taken;
            lack -= taken;
        }
    }
    return widths;
}

bool TPageMetrics::Fits() const
{
    if (PageLine < 0 || HeaderLine < 0 || RowLine <= 0)
        return false;
    const int64_t need = int64_t(TableTop()) + HeaderLine + RowLine + HeaderLine;
    return need <= Limit();
}

bool RowNeedsNewPage(const TPageMetrics& m, int32_t y, bool last)
{
    int64_t bottom = int64_t(y) + m.RowLine;
    if (last)
        bottom += m.HeaderLine;
    return bottom > m.Limit();
}

int32_t CountPages(const TPageMetrics& m, int32_t y, int32_t rows)
{
    int32_t pages = 1;
    int64_t sy = y;
    while (rows > 0) {
        sy += m.HeaderLine;
        while (rows > 0 && m.Limit() - sy >= m.RowLine) {
            sy += m.RowLine;
            --rows;
        }
        if (rows > 0 || m.Limit() - sy < m.HeaderLine) {
            ++pages;
            sy = m.TableTop();
        }
    }
    return pages;
}

} // namespace tv
