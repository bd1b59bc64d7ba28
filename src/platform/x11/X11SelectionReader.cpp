#include "platform/x11/X11SelectionReader.h"

#include "platform/Log.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11SelectionTransfer.h"
#include "platform/x11/XcbPointers.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xfixes.h>

namespace lettergate {

namespace {

using SteadyClock = std::chrono::steady_clock;

// The offered formats are a list of atoms: a few dozen in practice.
constexpr qint64 targetsLimitBytes = qint64(64) << 10;
// How long the window of an abandoned transfer waits for its owner's late answer, and
// how many such windows wait at most; past either, the oldest goes.
constexpr std::chrono::seconds abandonedTransferGrace{30};
constexpr size_t abandonedTransfersKept = 16;

xcb_atom_t internAtom(xcb_connection_t *connection, QByteArrayView name)
{
    const XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, uint16_t(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

// Everything that runs on the reading thread: the connection, the read in progress and
// the loop that waits for the server, a request or the deadline.
class X11SelectionReader::Session {
public:
    Session(std::unique_ptr<X11Display> display, Limits limits, X11SelectionReader &reader)
        : m_display(std::move(display))
        , m_connection(m_display->connection())
        , m_limits(limits)
        , m_reader(reader)
        , m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
        m_atoms.clipboard = internAtom(m_connection, "CLIPBOARD");
        m_atoms.targets = internAtom(m_connection, "TARGETS");
        m_atoms.utf8String = internAtom(m_connection, "UTF8_STRING");
        m_transferAtoms.property = internAtom(m_connection, "_LETTERGATE_SELECTION");
        m_transferAtoms.incr = internAtom(m_connection, "INCR");
        watchOwner();
    }

    ~Session()
    {
        // The transfers' windows go with the connection.
        m_transfer.reset();
        m_abandoned.clear();
        if (m_wakeFd >= 0)
            close(m_wakeFd);
    }

    // Any thread.
    void request()
    {
        m_requested = true;
        wake();
    }

    void stop()
    {
        m_stopping = true;
        wake();
    }

    void run()
    {
        while (!m_stopping) {
            if (m_display->hasFailed()) {
                failWithoutServer();
                continue;
            }
            while (const XcbPtr<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)})
                handle(*event);
            forgetAbandonedTransfers(SteadyClock::now() - abandonedTransferGrace);
            if (m_restartRead || (!m_reading && m_requested)) {
                startRead();
                continue;
            }
            if (m_reading && SteadyClock::now() >= m_deadline) {
                finish({}, ClipboardReadPlan::tooSlowLine(m_limits));
                continue;
            }
            waitForWork(xcb_get_file_descriptor(m_connection));
        }
    }

private:
    // One copy: who took the clipboard, and when (the server's time of the change, 0
    // when no change was seen, as for the owner found at start).
    struct Ownership {
        xcb_window_t owner = XCB_WINDOW_NONE;
        xcb_timestamp_t since = 0;
        bool operator==(const Ownership &) const = default;
    };

    struct Atoms {
        xcb_atom_t clipboard = XCB_ATOM_NONE;
        xcb_atom_t targets = XCB_ATOM_NONE;
        xcb_atom_t utf8String = XCB_ATOM_NONE;
    };

    void wake()
    {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(m_wakeFd, &one, sizeof one);
    }

    // Sleeps until the server sends something, a request or stop comes, or the deadline
    // of the read in progress passes. A negative descriptor waits for the wake-up only.
    void waitForWork(int serverFd)
    {
        pollfd descriptors[] = {{m_wakeFd, POLLIN, 0}, {serverFd, POLLIN, 0}};
        std::optional<SteadyClock::time_point> wakeAt;
        if (m_reading)
            wakeAt = m_deadline;
        if (!m_abandoned.empty())
            wakeAt = std::min(wakeAt.value_or(SteadyClock::time_point::max()),
                              m_abandoned.front().abandonedAt + abandonedTransferGrace);
        int timeoutMs = -1;
        if (wakeAt) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wakeAt - SteadyClock::now());
            timeoutMs = int(std::clamp<qint64>(left.count(), 0, INT_MAX));
        }
        // Without its wake-up descriptor the session looks for requests and stop often.
        if (m_wakeFd < 0 && (timeoutMs < 0 || timeoutMs > 50))
            timeoutMs = 50;
        poll(descriptors, serverFd >= 0 ? 2 : 1, timeoutMs);
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t taken = read(m_wakeFd, &count, sizeof count);
    }

    // Asks XFixes to report every change of the clipboard's owner, including an owner
    // that goes away, on a window of the session's own.
    void watchOwner()
    {
        const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
        if (!xfixes || !xfixes->present)
            return;
        const XcbPtr<xcb_xfixes_query_version_reply_t> version(
            xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0), nullptr));
        if (!version)
            return;
        m_ownerChangeEvent = uint8_t(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_display->root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_xfixes_select_selection_input(m_connection, window, m_atoms.clipboard,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(m_connection);
    }

    void handle(const xcb_generic_event_t &event)
    {
        if (m_ownerChangeEvent && (event.response_type & 0x7f) == m_ownerChangeEvent) {
            onOwnerChanged(event);
            return;
        }
        if (m_transfer && m_transfer->handle(event)) {
            if (m_transfer->state() != X11SelectionTransfer::State::waiting)
                onTransferEnded();
            return;
        }
        const auto answered = std::ranges::find_if(m_abandoned, [&event](const AbandonedTransfer &abandoned) {
            return abandoned.transfer->handle(event);
        });
        if (answered != m_abandoned.end() && answered->transfer->state() != X11SelectionTransfer::State::waiting)
            m_abandoned.erase(answered);
    }

    // The transfer in progress is done with, answered or not. One still waiting for its
    // owner keeps its window until the owner has answered, or for a grace period.
    void abandonTransfer()
    {
        if (!m_transfer)
            return;
        if (m_transfer->state() == X11SelectionTransfer::State::waiting) {
            m_transfer->abandon();
            m_abandoned.push_back({std::move(m_transfer), SteadyClock::now()});
            if (m_abandoned.size() > abandonedTransfersKept)
                m_abandoned.pop_front();
        }
        m_transfer.reset();
    }

    void forgetAbandonedTransfers(SteadyClock::time_point abandonedBefore)
    {
        while (!m_abandoned.empty() && m_abandoned.front().abandonedAt <= abandonedBefore)
            m_abandoned.pop_front();
    }

    void onOwnerChanged(const xcb_generic_event_t &event)
    {
        const auto &change = reinterpret_cast<const xcb_xfixes_selection_notify_event_t &>(event);
        m_lastOwnerChange = {change.owner, change.selection_timestamp};
        // A change the server made after the read began (its sequence number counts our
        // requests processed by then) means the formats and the data may come from two
        // owners: the read starts over with the new one.
        if (m_reading && event.full_sequence >= m_readStartSequence) {
            abandonTransfer();
            m_restartRead = true;
        }
    }

    void startRead()
    {
        m_requested = false;
        m_restartRead = false;
        abandonTransfer();
        m_plan.reset();
        m_currentStep.reset();
        m_reading = true;
        m_deadline = SteadyClock::now() + m_limits.deadline;
        const xcb_get_selection_owner_cookie_t cookie = xcb_get_selection_owner(m_connection, m_atoms.clipboard);
        m_readStartSequence = cookie.sequence;
        const XcbPtr<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(m_connection, cookie, nullptr));
        // The changes of owner the server reported before that answer are in: the read
        // knows which copy it is.
        while (const XcbPtr<xcb_generic_event_t> event{xcb_poll_for_queued_event(m_connection)})
            handle(*event);
        if (m_restartRead)
            return;
        const xcb_window_t window = owner ? owner->owner : xcb_window_t(XCB_WINDOW_NONE);
        m_readOwnership = {window, m_lastOwnerChange.owner == window ? m_lastOwnerChange.since : 0};
        if (window == XCB_WINDOW_NONE) {
            finish({});
            return;
        }
        // One change of owner, one read: asked again (a change announced twice, or read
        // across), the copy read already is not read again.
        if (m_readOwnership == m_lastReadOwnership) {
            finish({});
            return;
        }
        startTransfer(m_atoms.targets, targetsLimitBytes);
    }

    void startTransfer(xcb_atom_t target, qint64 limitBytes)
    {
        abandonTransfer();
        m_transferLimitBytes = limitBytes;
        m_transfer = std::make_unique<X11SelectionTransfer>(m_connection, m_display->root(), m_transferAtoms,
                                                            m_atoms.clipboard, target, limitBytes);
    }

    void onTransferEnded()
    {
        using State = X11SelectionTransfer::State;
        const State state = m_transfer->state();
        if (state == State::tooLarge) {
            finish({}, ClipboardReadPlan::tooLargeLine(m_transferLimitBytes));
            return;
        }
        const bool done = state == State::done;
        if (!m_currentStep) {
            m_plan = done ? planFor(m_transfer->data()) : unlistedFormatsPlan();
        } else if (std::optional<PasteboardContent> content = ClipboardReadPlan::outcome(
                       *m_currentStep, done ? std::optional(m_transfer->data()) : std::nullopt)) {
            finish(std::move(*content));
            return;
        }
        m_currentStep = m_plan->takeNext();
        if (!m_currentStep) {
            finish({});
            return;
        }
        startTransfer(m_formatAtoms.value(m_currentStep->format),
                      ClipboardReadPlan::limitFor(*m_currentStep, m_limits));
    }

    // Owners too old to list their formats may still answer for text.
    ClipboardReadPlan unlistedFormatsPlan()
    {
        m_formatAtoms = {{"UTF8_STRING", m_atoms.utf8String}, {"STRING", XCB_ATOM_STRING}};
        return ClipboardReadPlan::forUnlistedFormats();
    }

    // The plan for the formats offered, a list of atoms, by their names.
    ClipboardReadPlan planFor(const QByteArray &targetsAnswer)
    {
        QList<xcb_atom_t> offered(targetsAnswer.size() / qsizetype(sizeof(xcb_atom_t)));
        std::memcpy(offered.data(), targetsAnswer.constData(), size_t(offered.size()) * sizeof(xcb_atom_t));
        QList<xcb_get_atom_name_cookie_t> cookies;
        for (const xcb_atom_t target : offered)
            cookies.append(xcb_get_atom_name(m_connection, target));
        m_formatAtoms.clear();
        QList<QByteArray> names;
        for (qsizetype i = 0; i < offered.size(); ++i) {
            const XcbPtr<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(m_connection, cookies[i], nullptr));
            if (!reply)
                continue;
            names.append(QByteArray(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get())));
            m_formatAtoms.insert(names.last(), offered[i]);
        }
        return ClipboardReadPlan(names);
    }

    void finish(PasteboardContent content, const QString &logLine = {})
    {
        abandonTransfer();
        m_reading = false;
        // A read that failed may be tried again; one that came back is done with.
        m_lastReadOwnership = logLine.isEmpty() ? m_readOwnership : Ownership{};
        X11SelectionReader *reader = &m_reader;
        QMetaObject::invokeMethod(
            reader, [reader, content = std::move(content), logLine] { reader->deliver(content, logLine); },
            Qt::QueuedConnection);
    }

    // Without the server every read finds nothing, at once.
    void failWithoutServer()
    {
        if (m_reading || m_requested) {
            m_requested = false;
            m_transfer.reset();
            m_reading = true;
            finish({}, QStringLiteral("clipboard unreadable: the connection to the X server is lost"));
        }
        waitForWork(-1);
    }

    std::unique_ptr<X11Display> m_display;
    xcb_connection_t *m_connection;
    const Limits m_limits;
    X11SelectionReader &m_reader;
    const int m_wakeFd;
    std::atomic<bool> m_requested{false};
    std::atomic<bool> m_stopping{false};
    Atoms m_atoms;
    X11SelectionTransfer::Atoms m_transferAtoms;
    uint8_t m_ownerChangeEvent = 0;

    Ownership m_lastOwnerChange;
    // The copy last read whole; none after a read that failed.
    Ownership m_lastReadOwnership;

    // The read in progress.
    bool m_reading = false;
    // The owner changed during the read: it starts over.
    bool m_restartRead = false;
    Ownership m_readOwnership;
    uint32_t m_readStartSequence = 0;
    SteadyClock::time_point m_deadline;
    // Nothing while the offered formats are asked for.
    std::optional<ClipboardReadPlan> m_plan;
    // The atoms of the formats the plan names.
    QHash<QByteArray, xcb_atom_t> m_formatAtoms;
    std::optional<ClipboardReadPlan::Step> m_currentStep;
    std::unique_ptr<X11SelectionTransfer> m_transfer;
    qint64 m_transferLimitBytes = 0;

    struct AbandonedTransfer {
        std::unique_ptr<X11SelectionTransfer> transfer;
        SteadyClock::time_point abandonedAt;
    };
    // Oldest first.
    std::deque<AbandonedTransfer> m_abandoned;
};

X11SelectionReader::X11SelectionReader(std::unique_ptr<X11Display> display, Limits limits, QObject *parent)
    : QObject(parent)
    , m_session(std::make_unique<Session>(std::move(display), limits, *this))
    , m_thread([session = m_session.get()] { session->run(); })
{
}

X11SelectionReader::~X11SelectionReader()
{
    m_session->stop();
    m_thread.join();
}

void X11SelectionReader::requestContent()
{
    m_session->request();
}

void X11SelectionReader::deliver(const PasteboardContent &content, const QString &logLine)
{
    if (!logLine.isEmpty())
        qCInfo(lcX11).noquote() << logLine;
    emit contentRead(content);
}

} // namespace lettergate
