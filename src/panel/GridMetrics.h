#pragma once

#include <QtGlobal>

namespace lettergate {

// Columns and picture size of a card grid. A card is thumbW + 24 wide and thumbH + 67
// high; cards stand `spacing` apart in both directions.
struct GridMetrics {
    int columns = 1;
    double thumbW = 0;
    double thumbH = 0;

    static constexpr double spacing = 18;
    // The largest picture a card shows.
    static constexpr double maximumThumbW = 460;
    static constexpr double maximumThumbH = maximumThumbW * 10 / 16;

    double cardWidth() const { return thumbW + 24; }
    double cardHeight() const { return thumbH + 67; }
    // Height of `rows` rows of cards with the spacing between them; 0 without rows.
    double contentHeight(int rows) const;
    // Number of rows `count` cards fill.
    int rowsFor(int count) const;

    // The column count that gives `count` cards (an empty list counts as one) the
    // largest 16 : 10 pictures inside width × height, at most 460 wide. When even the
    // best pictures would be narrower than 75, the grid falls back to 75-wide pictures in
    // as many columns as the width holds, and its rows may overflow the height.
    static GridMetrics fit(int count, double width, double height);

    friend bool operator==(const GridMetrics &, const GridMetrics &) = default;
};

} // namespace lettergate
