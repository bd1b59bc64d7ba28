#include "panel/GridMetrics.h"

#include <algorithm>
#include <cmath>

namespace lettergate {

namespace {
constexpr double pageInset = 56;   // room around the grid inside the page
constexpr double cardChromeW = 24; // card insets left and right of the picture
constexpr double cardChromeH = 67; // insets, title row and gap above the picture
constexpr double minimumThumbW = 75;
} // namespace

double GridMetrics::contentHeight(int rows) const
{
    if (rows <= 0)
        return 0;
    return cardHeight() * rows + spacing * (rows - 1);
}

int GridMetrics::rowsFor(int count) const
{
    return count <= 0 ? 0 : (count + columns - 1) / columns;
}

GridMetrics GridMetrics::fit(int count, double width, double height)
{
    const double availW = std::max(width - pageInset, 1.0);
    const double availH = std::max(height - pageInset, 1.0);
    const int n = std::max(count, 1);

    double best = 0;
    int bestColumns = 1;
    for (int cols = 1; cols <= n; ++cols) {
        const int rows = (n + cols - 1) / cols;
        const double widthLimit = (availW - (cols - 1) * spacing) / cols - cardChromeW;
        const double heightLimit = ((availH - (rows - 1) * spacing) / rows - cardChromeH) * 16 / 10;
        const double candidate = std::min(heightLimit, widthLimit);
        if (candidate > best) {
            best = candidate;
            bestColumns = cols;
        }
    }

    if (best >= minimumThumbW) {
        const double thumbW = std::min(best, GridMetrics::maximumThumbW);
        return {bestColumns, thumbW, thumbW * 10 / 16};
    }
    const int columns = std::max(
        static_cast<int>(std::floor((availW + spacing) / (minimumThumbW + cardChromeW + spacing))), 1);
    return {columns, minimumThumbW, minimumThumbW * 10 / 16};
}

} // namespace lettergate
