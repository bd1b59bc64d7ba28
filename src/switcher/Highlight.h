#pragma once

#include <QMetaType>
#include <QtGlobal>
#include <array>
#include <optional>

namespace lettergate {

// The parts of a page the keyboard highlight moves over, in the order Tab visits them:
// the page's cards (the apps, an app's windows, a full list's entries) and, on the apps
// page, its four boxes.
enum class Box { cards, clipboard, snippets, links, commands };
inline constexpr int boxCount = 5;

// The item the keyboard highlight is on: a box, and the position of the item among
// those the box shows.
struct Highlight {
    Box box = Box::cards;
    qsizetype index = 0;

    friend constexpr bool operator==(const Highlight &, const Highlight &) = default;
};

// How the view lays out one box of the page shown: how many items it shows, and how
// many of them one row holds.
struct BoxShape {
    qsizetype shown = 0;
    int perRow = 1;

    friend constexpr bool operator==(const BoxShape &, const BoxShape &) = default;
};
// Every box of a page, indexed by Box; a box the page lacks shows nothing.
using PageShape = std::array<BoxShape, boxCount>;

// The keys that move the highlight or pick its item.
enum class Navigation { left, right, up, down, nextBox, previousBox, pick };

} // namespace lettergate

Q_DECLARE_METATYPE(std::optional<lettergate::Highlight>)
