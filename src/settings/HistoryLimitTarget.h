#pragma once

namespace lettergate {

// What the settings store pushes a new clipboard-history limit into. The clipboard
// history implements it: it takes the limit, trims its entries and saves.
class HistoryLimitTarget {
public:
    virtual ~HistoryLimitTarget() = default;
    virtual void applyHistoryLimit(int limit) = 0;
};

} // namespace lettergate
