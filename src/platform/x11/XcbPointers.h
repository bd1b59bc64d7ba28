#pragma once

#include <cstdlib>
#include <memory>

namespace lettergate {

// xcb hands out replies, events and errors as malloc'ed blocks owned by the caller.
struct XcbFree {
    void operator()(void *block) const { std::free(block); }
};

template <typename T>
using XcbPtr = std::unique_ptr<T, XcbFree>;

} // namespace lettergate
