#pragma once

// The system's audible signal: the panel's only failure report.
class Feedback {
public:
    virtual ~Feedback() = default;
    virtual void beep() = 0;
};
