#include "platform/wayland/DataControlPasteboard.h"

#include "platform/Log.h"
#include "platform/wayland/DataControlSource.h"
#include "platform/wayland/PipeReader.h"
#include "platform/wayland/WaylandConnection.h"

#include <QBuffer>
#include <QPointer>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

#include "wayland/wlr-data-control-unstable-v1-client-protocol.h"

namespace lettergate {

namespace {

constexpr quint32 newestKnownVersion = 2;
constexpr char png[] = "image/png";

} // namespace

// An offer of another program's (or our own) content, and the formats it lists.
struct DataControlPasteboard::Offer {
    explicit Offer(zwlr_data_control_offer_v1 *proxy)
        : proxy(proxy)
    {
        static const zwlr_data_control_offer_v1_listener listener = {
            [](void *data, zwlr_data_control_offer_v1 *, const char *format) {
                static_cast<Offer *>(data)->formats.append(QByteArray(format));
            }};
        zwlr_data_control_offer_v1_add_listener(proxy, &listener, this);
    }
    ~Offer() { zwlr_data_control_offer_v1_destroy(proxy); }
    Offer(const Offer &) = delete;
    Offer &operator=(const Offer &) = delete;

    zwlr_data_control_offer_v1 *proxy;
    QList<QByteArray> formats;
};

std::unique_ptr<DataControlPasteboard> DataControlPasteboard::create(WaylandConnection &connection, wl_seat *seat,
                                                                     ClipboardReadLimits limits)
{
    auto *manager = static_cast<zwlr_data_control_manager_v1 *>(
        connection.bind(&zwlr_data_control_manager_v1_interface, newestKnownVersion));
    if (!manager || !seat) {
        if (manager)
            zwlr_data_control_manager_v1_destroy(manager);
        return nullptr;
    }
    return std::unique_ptr<DataControlPasteboard>(new DataControlPasteboard(connection, manager, seat, limits));
}

DataControlPasteboard::DataControlPasteboard(WaylandConnection &connection, zwlr_data_control_manager_v1 *manager,
                                             wl_seat *seat, ClipboardReadLimits limits)
    : m_connection(connection)
    , m_manager(manager)
    , m_device(zwlr_data_control_manager_v1_get_data_device(manager, seat))
    , m_limits(limits)
{
    static const zwlr_data_control_device_v1_listener listener = {&DataControlPasteboard::onDataOffer,
                                                                  &DataControlPasteboard::onSelection,
                                                                  &DataControlPasteboard::onFinished,
                                                                  &DataControlPasteboard::onPrimarySelection};
    zwlr_data_control_device_v1_add_listener(m_device, &listener, this);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish({}, ClipboardReadPlan::tooSlowLine(m_limits)); });
    m_decoder.setMaxThreadCount(1);
    // The copy on the clipboard now comes at once: what the counting starts from.
    m_connection.roundtrip();
}

DataControlPasteboard::~DataControlPasteboard()
{
    m_decoder.waitForDone();
    m_pipe.reset();
    m_announced.clear();
    m_clipboard.reset();
    m_primary.reset();
    // Our sources go before the manager that made them.
    qDeleteAll(findChildren<DataControlSource *>(Qt::FindDirectChildrenOnly));
    if (m_device)
        zwlr_data_control_device_v1_destroy(m_device);
    zwlr_data_control_manager_v1_destroy(m_manager);
    m_connection.flush();
}

const QList<QByteArray> &DataControlPasteboard::textFormats()
{
    static const QList<QByteArray> formats = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "TEXT",
                                              "STRING"};
    return formats;
}

void DataControlPasteboard::onDataOffer(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    static_cast<DataControlPasteboard *>(data)->m_announced.push_back(std::make_unique<Offer>(offer));
}

std::unique_ptr<DataControlPasteboard::Offer> DataControlPasteboard::takeOffer(zwlr_data_control_offer_v1 *proxy)
{
    const auto found = std::ranges::find_if(m_announced, [proxy](const auto &offer) { return offer->proxy == proxy; });
    if (found == m_announced.end())
        return nullptr;
    std::unique_ptr<Offer> offer = std::move(*found);
    m_announced.erase(found);
    return offer;
}

void DataControlPasteboard::onSelection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    auto *self = static_cast<DataControlPasteboard *>(data);
    self->onNewCopy(offer ? self->takeOffer(offer) : nullptr);
}

void DataControlPasteboard::onPrimarySelection(void *data, zwlr_data_control_device_v1 *,
                                               zwlr_data_control_offer_v1 *offer)
{
    // Never read; kept only to be destroyed when the next one comes, as the protocol asks.
    auto *self = static_cast<DataControlPasteboard *>(data);
    self->m_primary = offer ? self->takeOffer(offer) : nullptr;
}

void DataControlPasteboard::onFinished(void *data, zwlr_data_control_device_v1 *)
{
    auto *self = static_cast<DataControlPasteboard *>(data);
    qCWarning(lcWayland).noquote() << QStringLiteral(
        "the compositor withdrew the clipboard from Lettergate: copies are no longer "
        "recorded, and pasting from the history stops working");
    zwlr_data_control_device_v1_destroy(self->m_device);
    self->m_device = nullptr;
    self->onNewCopy(nullptr);
}

void DataControlPasteboard::onNewCopy(std::unique_ptr<Offer> offer)
{
    m_clipboard = std::move(offer);
    ++m_copy;
    ++m_changeCount;
    // A read under way would take the formats and the data from two copies: it starts
    // over with the new one, before anyone hears of the change. A read asked for on
    // hearing it is of the new copy already, and must not be started over: the transfer
    // dropped would be the owner's to write into a closed pipe, which kills an owner
    // that does not ignore SIGPIPE (wl-copy), and the copy with it.
    if (m_reading)
        startRead();
    emit changed();
}

void DataControlPasteboard::requestContent()
{
    if (m_reading) {
        m_requested = true;
        return;
    }
    startRead();
}

void DataControlPasteboard::startRead()
{
    m_requested = false;
    m_reading = true;
    ++m_read;
    dropPipe();
    m_step.reset();
    m_readCopy = m_copy;
    m_timeLeft = m_limits.deadline;
    if (!m_clipboard || m_lastReadCopy == m_readCopy) {
        // Nothing on the clipboard, or this copy was read already.
        finish({});
        return;
    }
    m_plan = ClipboardReadPlan(m_clipboard->formats);
    readNextStep();
}

void DataControlPasteboard::readNextStep()
{
    m_step = m_plan->takeNext();
    if (!m_step) {
        finish({});
        return;
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        finish({}, QStringLiteral("clipboard read dropped: no pipe to read it through"));
        return;
    }
    zwlr_data_control_offer_v1_receive(m_clipboard->proxy, m_step->format.constData(), ends[1]);
    m_connection.flush();
    close(ends[1]);
    m_stepLimitBytes = ClipboardReadPlan::limitFor(*m_step, m_limits);
    m_pipe = std::make_unique<PipeReader>(ends[0], m_stepLimitBytes);
    connect(m_pipe.get(), &PipeReader::finished, this,
            [this, read = m_read](PipeReader::Outcome outcome) { onStepRead(read, outcome); });
    m_stepStarted.start();
    m_deadline.start(std::max(m_timeLeft, std::chrono::milliseconds(0)));
}

void DataControlPasteboard::onStepRead(qint64 read, PipeReader::Outcome outcome)
{
    if (read != m_read)
        return;
    m_deadline.stop();
    m_timeLeft -= std::chrono::milliseconds(m_stepStarted.elapsed());
    if (outcome == PipeReader::Outcome::tooLarge) {
        finish({}, ClipboardReadPlan::tooLargeLine(m_stepLimitBytes));
        return;
    }
    std::optional<QByteArray> answer;
    if (outcome == PipeReader::Outcome::done)
        answer = m_pipe->data();
    dropPipe();
    m_decoder.start([this, read, step = *m_step, answer = std::move(answer)] {
        std::optional<PasteboardContent> content = ClipboardReadPlan::outcome(step, answer);
        QMetaObject::invokeMethod(
            this, [this, read, content = std::move(content)] { onStepDecoded(read, content); }, Qt::QueuedConnection);
    });
}

void DataControlPasteboard::dropPipe()
{
    if (!m_pipe)
        return;
    // Possibly from inside its own signal: it goes from the event loop, unheard.
    disconnect(m_pipe.get(), nullptr, this, nullptr);
    PipeReader *pipe = m_pipe.release();
    pipe->setParent(this);
    pipe->deleteLater();
}

void DataControlPasteboard::onStepDecoded(qint64 read, const std::optional<PasteboardContent> &content)
{
    if (read != m_read || !m_reading)
        return;
    if (content)
        finish(*content);
    else
        readNextStep();
}

void DataControlPasteboard::finish(PasteboardContent content, const QString &logLine)
{
    m_deadline.stop();
    dropPipe();
    m_plan.reset();
    m_step.reset();
    m_reading = false;
    // A read that failed may be tried again; one that came back is done with.
    m_lastReadCopy = logLine.isEmpty() ? std::optional(m_readCopy) : std::nullopt;
    QMetaObject::invokeMethod(
        this,
        [this, content = std::move(content), logLine] {
            if (!logLine.isEmpty())
                qCInfo(lcWayland).noquote() << logLine;
            emit contentRead(content);
        },
        Qt::QueuedConnection);
    if (m_requested)
        startRead();
}

DataControlSource *DataControlPasteboard::offer(const QList<QByteArray> &formats)
{
    if (!m_device)
        return nullptr;
    return new DataControlSource(m_manager, formats, this);
}

void DataControlPasteboard::clear()
{
    if (!m_device)
        return;
    zwlr_data_control_device_v1_set_selection(m_device, nullptr);
    m_connection.flush();
}

bool DataControlPasteboard::setString(const QString &text)
{
    DataControlSource *source = offer(textFormats());
    if (!source)
        return false;
    source->setContent(DataControlSource::sameForAll(textFormats(), text.toUtf8()));
    zwlr_data_control_device_v1_set_selection(m_device, source->proxy());
    // At once, so that a paste typed right after finds it.
    m_connection.flush();
    return true;
}

void DataControlPasteboard::setPrimarySelection(const QString &text)
{
    if (!m_device)
        return;
    if (zwlr_data_control_device_v1_get_version(m_device)
        < ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION_SINCE_VERSION) {
        if (!std::exchange(m_primaryUnsupportedLogged, true))
            qCInfo(lcWayland).noquote() << QStringLiteral(
                "the compositor's clipboard control has no primary selection (data control "
                "version 1): a terminal pasting it gets what was selected last instead");
        return;
    }
    DataControlSource *source = text.isEmpty() ? nullptr : offer(textFormats());
    if (source)
        source->setContent(DataControlSource::sameForAll(textFormats(), text.toUtf8()));
    zwlr_data_control_device_v1_set_primary_selection(m_device, source ? source->proxy() : nullptr);
    m_connection.flush();
}

bool DataControlPasteboard::writeImage(const QImage &image)
{
    if (image.isNull())
        return false;
    DataControlSource *source = offer({png});
    if (!source)
        return false;
    zwlr_data_control_device_v1_set_selection(m_device, source->proxy());
    m_connection.flush();
    // Encoded off the GUI thread; a program asking before it is done waits for it.
    m_decoder.start([this, image, source = QPointer(source)] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        QMetaObject::invokeMethod(
            this,
            [source, bytes = std::move(bytes)] {
                if (source)
                    source->setContent({{png, bytes}});
            },
            Qt::QueuedConnection);
    });
    return true;
}

} // namespace lettergate
