#pragma once

namespace lettergate {

// The system's audible signal: the panel's refusal of a key, and, beside a desktop
// notification, of anything the user asked for that failed.
class Feedback {
public:
    virtual ~Feedback() = default;
    virtual void beep() = 0;
};

} // namespace lettergate
