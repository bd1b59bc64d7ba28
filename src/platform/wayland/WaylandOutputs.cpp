#include "platform/wayland/WaylandOutputs.h"

#include "platform/wayland/WaylandConnection.h"

#include <algorithm>
#include <cstring>
#include <wayland-client.h>

namespace lettergate {

struct WaylandOutputs::Output {
    uint32_t name = 0;
    wl_output *proxy = nullptr;
    QPoint position;
    QSize modeSize;
    int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    int32_t scale = 1;

    ~Output() { wl_output_destroy(proxy); }

    std::optional<QRect> logicalRect() const
    {
        if (modeSize.isEmpty())
            return std::nullopt;
        // The odd transforms turn the output a quarter.
        const QSize turned = (transform % 2) ? modeSize.transposed() : modeSize;
        return QRect(position, turned / std::max(1, scale));
    }

    static void geometry(void *data, wl_output *, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char *,
                         const char *, int32_t transform)
    {
        auto *output = static_cast<Output *>(data);
        output->position = QPoint(x, y);
        output->transform = transform;
    }
    static void mode(void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t)
    {
        if (flags & WL_OUTPUT_MODE_CURRENT)
            static_cast<Output *>(data)->modeSize = QSize(width, height);
    }
    static void done(void *, wl_output *) {}
    static void scaleChanged(void *data, wl_output *, int32_t factor) { static_cast<Output *>(data)->scale = factor; }
    static void text(void *, wl_output *, const char *) {}
};

WaylandOutputs::WaylandOutputs(WaylandConnection &connection)
{
    static const wl_registry_listener listener = {&WaylandOutputs::announce, &WaylandOutputs::withdraw};
    m_registry = wl_display_get_registry(connection.display());
    wl_registry_add_listener(m_registry, &listener, this);
}

WaylandOutputs::~WaylandOutputs()
{
    m_outputs.clear();
    wl_registry_destroy(m_registry);
}

void WaylandOutputs::announce(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    if (std::strcmp(interface, wl_output_interface.name) != 0)
        return;
    static const wl_output_listener listener = {&Output::geometry,     &Output::mode, &Output::done,
                                                &Output::scaleChanged, &Output::text, &Output::text};
    auto output = std::make_unique<Output>();
    output->name = name;
    // Version 2 brings the scale; nothing newer is needed.
    output->proxy = static_cast<wl_output *>(
        wl_registry_bind(registry, name, &wl_output_interface, std::min<uint32_t>(version, 2)));
    wl_output_add_listener(output->proxy, &listener, output.get());
    static_cast<WaylandOutputs *>(data)->m_outputs.push_back(std::move(output));
}

void WaylandOutputs::withdraw(void *data, wl_registry *, uint32_t name)
{
    std::erase_if(static_cast<WaylandOutputs *>(data)->m_outputs,
                  [name](const std::unique_ptr<Output> &output) { return output->name == name; });
}

std::optional<QRect> WaylandOutputs::rectOf(const wl_output *output) const
{
    const auto found = std::ranges::find(m_outputs, output, [](const auto &known) { return known->proxy; });
    return found == m_outputs.end() ? std::nullopt : (*found)->logicalRect();
}

std::optional<QRect> WaylandOutputs::anyRect() const
{
    for (const auto &output : m_outputs) {
        if (const std::optional<QRect> rect = output->logicalRect())
            return rect;
    }
    return std::nullopt;
}

} // namespace lettergate
