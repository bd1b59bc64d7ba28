#pragma once

#include <QString>
#include <optional>

namespace lettergate {

class SwitcherViewModel;

// What the header line shows for the view model's page: a Back button (or, on the apps
// page, the panel's symbol), the page's title, the keys to press, and a count.
struct HeaderContent {
    bool backButton = false;
    QString symbol; // shown in place of the Back button; empty with one
    QString title;
    QString hint;
    std::optional<QString> count;

    static HeaderContent forViewModel(const SwitcherViewModel &viewModel);

    friend bool operator==(const HeaderContent &, const HeaderContent &) = default;
};

} // namespace lettergate
