#pragma once

#include <QRect>
#include <memory>
#include <optional>
#include <vector>
struct wl_output;
struct wl_registry;

namespace lettergate {

class WaylandConnection;

// The compositor's outputs and the logical rectangle each covers (position, and the
// current mode's size divided by the scale, turned by the transform): where a window
// is, when nothing finer is known, is the output it is on. The outputs come and go with
// the registry, read on a registry of their own.
class WaylandOutputs {
public:
    // Binds the outputs offered now; their rectangles arrive with the next round trip.
    explicit WaylandOutputs(WaylandConnection &connection);
    ~WaylandOutputs();

    WaylandOutputs(const WaylandOutputs &) = delete;
    WaylandOutputs &operator=(const WaylandOutputs &) = delete;

    // Nothing for an output that is gone or has not described itself yet.
    std::optional<QRect> rectOf(const wl_output *output) const;
    // The first output that has described itself; nothing when none has.
    std::optional<QRect> anyRect() const;

private:
    struct Output;
    static void announce(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version);
    static void withdraw(void *data, wl_registry *registry, uint32_t name);

    wl_registry *m_registry = nullptr;
    std::vector<std::unique_ptr<Output>> m_outputs;
};

} // namespace lettergate
