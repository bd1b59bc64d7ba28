#pragma once

#include "platform/ClipboardReadPlan.h"
#include "platform/Pasteboard.h"
#include "platform/wayland/PipeReader.h"

#include <QElapsedTimer>
#include <QList>
#include <QThreadPool>
#include <QTimer>
#include <memory>
#include <optional>
struct wl_seat;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_offer_v1;

namespace lettergate {

class DataControlSource;
class WaylandConnection;

// The clipboard of a wlroots-style compositor through data control, which reports every
// change and reads and writes without a window of ours focused (Qt's own clipboard sees
// nothing then). Each `selection` the compositor announces is a copy of its own, a
// cleared clipboard too. A read follows a ClipboardReadPlan on the offer: each format
// comes through a pipe read from the event loop (PipeReader), and is decoded on a
// thread of its own; a new copy during a read starts it over on the new one, a read
// past its deadline or a size limit ends with nothing and one log line, and a copy is
// read once. Writes offer the content through a DataControlSource.
class DataControlPasteboard final : public Pasteboard {
    Q_OBJECT
public:
    // Nothing when the compositor offers no data control.
    static std::unique_ptr<DataControlPasteboard> create(WaylandConnection &connection, wl_seat *seat,
                                                         ClipboardReadLimits limits = {});
    ~DataControlPasteboard() override;

    qint64 changeCount() override { return m_changeCount; }
    void requestContent() override;
    void clear() override;
    bool setString(const QString &text) override;
    void setPrimarySelection(const QString &text) override;
    bool writeImage(const QImage &image) override;

    // The text formats a Wayland or an X program asks for.
    static const QList<QByteArray> &textFormats();

private:
    DataControlPasteboard(WaylandConnection &connection, zwlr_data_control_manager_v1 *manager, wl_seat *seat,
                          ClipboardReadLimits limits);

    struct Offer;
    static void onDataOffer(void *data, zwlr_data_control_device_v1 *device, zwlr_data_control_offer_v1 *offer);
    static void onSelection(void *data, zwlr_data_control_device_v1 *device, zwlr_data_control_offer_v1 *offer);
    static void onFinished(void *data, zwlr_data_control_device_v1 *device);
    static void onPrimarySelection(void *data, zwlr_data_control_device_v1 *device, zwlr_data_control_offer_v1 *offer);

    std::unique_ptr<Offer> takeOffer(zwlr_data_control_offer_v1 *proxy);
    void onNewCopy(std::unique_ptr<Offer> offer);
    void startRead();
    void readNextStep();
    void onStepRead(qint64 read, PipeReader::Outcome outcome);
    void onStepDecoded(qint64 read, const std::optional<PasteboardContent> &content);
    void dropPipe();
    void finish(PasteboardContent content, const QString &logLine = {});
    // Puts a new source of ours on the clipboard (or in the primary selection).
    DataControlSource *offer(const QList<QByteArray> &formats);

    WaylandConnection &m_connection;
    zwlr_data_control_manager_v1 *m_manager;
    zwlr_data_control_device_v1 *m_device = nullptr;
    const ClipboardReadLimits m_limits;
    qint64 m_changeCount = 0;

    // Offers announced but not yet named the clipboard's or the primary selection's.
    std::vector<std::unique_ptr<Offer>> m_announced;
    std::unique_ptr<Offer> m_clipboard;
    std::unique_ptr<Offer> m_primary;
    // Each copy's number: the clipboard's changes counted.
    qint64 m_copy = 0;
    // The copy last read whole; none after a read that failed.
    std::optional<qint64> m_lastReadCopy;

    // The read in progress, numbered so that what a superseded read's decoding brings
    // back is known and dropped.
    bool m_reading = false;
    bool m_requested = false;
    qint64 m_read = 0;
    qint64 m_readCopy = 0;
    std::optional<ClipboardReadPlan> m_plan;
    std::optional<ClipboardReadPlan::Step> m_step;
    qint64 m_stepLimitBytes = 0;
    std::unique_ptr<PipeReader> m_pipe;
    // The time left to the read's pipes (decoding does not count), and since when the
    // current one runs.
    std::chrono::milliseconds m_timeLeft{0};
    QElapsedTimer m_stepStarted;
    QTimer m_deadline;
    bool m_primaryUnsupportedLogged = false;

    // Destroyed first: waits for decodings still running, which call back into this.
    QThreadPool m_decoder;
};

} // namespace lettergate
