#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/DataControlSource.h"
#include "platform/wayland/PipeWriter.h"
#include "platform/wayland/WaylandConnection.h"
#include "support/LogCapture.h"

#include <QBuffer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wayland/wlr-data-control-unstable-v1-client-protocol.h"

using namespace lettergate;

using Kind = PasteboardContent::Kind;

namespace {

// Runs a wl-clipboard tool to its end while the event loop serves our own connection
// (our sources answer from it); its standard output, or nothing when it failed.
std::optional<QByteArray> runTool(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return std::nullopt;
    process.write(input);
    process.closeWriteChannel();
    if (!finished.wait(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

QByteArray pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Another program on the clipboard, through data control on a connection of its own,
// offering what a test chooses: formats it answers with their bytes, or never answers.
class OtherProgram {
public:
    OtherProgram()
        : m_connection(WaylandConnection::connect())
    {
        if (!m_connection)
            return;
        m_manager = static_cast<zwlr_data_control_manager_v1 *>(
            m_connection->bind(&zwlr_data_control_manager_v1_interface, 1));
        m_seat = static_cast<wl_seat *>(m_connection->bind(&wl_seat_interface, 1));
        if (m_manager && m_seat)
            m_device = zwlr_data_control_manager_v1_get_data_device(m_manager, m_seat);
        m_connection->startDispatching();
    }
    ~OtherProgram()
    {
        qDeleteAll(m_sourceParent.children());
        if (m_device)
            zwlr_data_control_device_v1_destroy(m_device);
        if (m_manager)
            zwlr_data_control_manager_v1_destroy(m_manager);
        if (m_seat)
            wl_seat_destroy(m_seat);
    }

    bool isReady() const { return m_device; }

    // Copies the formats; without content the program never answers.
    void copy(const QList<QByteArray> &formats, const std::optional<QHash<QByteArray, QByteArray>> &content)
    {
        auto *source = new DataControlSource(m_manager, formats, &m_sourceParent);
        if (content)
            source->setContent(*content);
        zwlr_data_control_device_v1_set_selection(m_device, source->proxy());
        m_connection->flush();
    }

private:
    std::unique_ptr<WaylandConnection> m_connection;
    zwlr_data_control_manager_v1 *m_manager = nullptr;
    wl_seat *m_seat = nullptr;
    zwlr_data_control_device_v1 *m_device = nullptr;
    QObject m_sourceParent;
};

} // namespace

// The clipboard through data control on a headless sway where no window of ours has the
// focus (there is none): copies of other programs in other processes (wl-copy, or a
// second connection of the test's), and our own copies pasted by wl-paste.
class DataControlTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<PasteboardContent>();
        m_connection = WaylandConnection::connect();
        QVERIFY(m_connection);
        m_seat = static_cast<wl_seat *>(m_connection->bind(&wl_seat_interface, 1));
        m_connection->startDispatching();
        m_pasteboard = DataControlPasteboard::create(*m_connection, m_seat, m_limits);
        QVERIFY(m_pasteboard);
        QVERIFY(m_other.isReady());
    }

    void cleanupTestCase()
    {
        m_pasteboard.reset();
        if (m_seat)
            wl_seat_destroy(m_seat);
    }

    void copiesOfOtherProgramsAreSeenAndReadOnce()
    {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const struct {
            QStringList arguments;
            QByteArray input;
            PasteboardContent expected;
        } copies[] = {
            {{}, "Grüße aus Wayland", PasteboardContent::ofText(QStringLiteral("Grüße aus Wayland"))},
            {{"--type", "image/png"}, pngOf(picture), PasteboardContent::ofImage(picture)},
            {{"--clear"}, {}, {}},
        };
        for (const auto &copy : copies) {
            const qint64 countBefore = m_pasteboard->changeCount();
            QSignalSpy changes(m_pasteboard.get(), &Pasteboard::changed);
            // Asked on hearing of the change, as the clipboard history asks, and twice: the
            // second request, made during the read, is answered by one more read after it,
            // which finds no change since and so does not read the copy twice.
            QSignalSpy answers(m_pasteboard.get(), &Pasteboard::contentRead);
            const QMetaObject::Connection asking = connect(m_pasteboard.get(), &Pasteboard::changed, this, [this] {
                m_pasteboard->requestContent();
                m_pasteboard->requestContent();
            });
            QVERIFY(runTool(QStringLiteral("wl-copy"), copy.arguments, copy.input));
            QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, 5000);
            disconnect(asking);
            QCOMPARE(changes.size(), 1);
            QCOMPARE(m_pasteboard->changeCount(), countBefore + 1);
            const auto content = answers[0][0].value<PasteboardContent>();
            QCOMPARE(std::tie(content.kind, content.text), std::tie(copy.expected.kind, copy.expected.text));
            QCOMPARE(content.image.convertToFormat(QImage::Format_RGB32), copy.expected.image);
            QCOMPARE(answers[1][0].value<PasteboardContent>().kind, Kind::nothing);
            // Reading took nothing from the owner: the copy is still there for everyone.
            if (!copy.input.isEmpty())
                QCOMPARE(runTool(QStringLiteral("wl-paste"), QStringList{"--no-newline"} + copy.arguments), copy.input);
        }
    }

    void ourCopiesArePastedByOtherPrograms()
    {
        const QString text = QStringLiteral("pasted through data control ✓");
        QSignalSpy changes(m_pasteboard.get(), &Pasteboard::changed);
        QVERIFY(m_pasteboard->setString(text));
        // Under every name X programs and Wayland ones ask for text by.
        for (const char *format : {"text/plain;charset=utf-8", "UTF8_STRING", "STRING", "TEXT", "text/plain"})
            QCOMPARE(runTool(QStringLiteral("wl-paste"), {"--no-newline", "--type", format}), text.toUtf8());
        // Our own copy is a change like any other, and reads back.
        QTRY_VERIFY_WITH_TIMEOUT(!changes.isEmpty(), 5000);
        QCOMPARE(readOnce().value_or(PasteboardContent()).text, text);

        // The primary selection is set apart, and reading never looks at it.
        m_pasteboard->setPrimarySelection(QStringLiteral("selected"));
        QCOMPARE(runTool(QStringLiteral("wl-paste"), {"--primary", "--no-newline"}), QByteArray("selected"));
        QCOMPARE(readOnce()->kind, Kind::nothing);

        // Larger than a pipe holds: written as the reader takes it.
        const QString large(3 << 20, QLatin1Char('x'));
        QVERIFY(m_pasteboard->setString(large));
        QCOMPARE(runTool(QStringLiteral("wl-paste"), {"--no-newline"}), large.toUtf8());

        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(m_pasteboard->writeImage(picture));
        QCOMPARE(QImage::fromData(runTool(QStringLiteral("wl-paste"), {"--type", "image/png"}).value_or(QByteArray()))
                     .convertToFormat(QImage::Format_RGB32),
                 picture);

        m_pasteboard->clear();
        QCOMPARE(runTool(QStringLiteral("wl-paste"), {"--list-types"}), std::nullopt);
    }

    // A text past the limit is dropped, with one line in the log; a password manager's
    // hint makes a copy a secret, unless it says the copy is public.
    void whatIsReadOfACopyItsOwnerQualifies()
    {
        LogCapture log;
        QSignalSpy changes(m_pasteboard.get(), &Pasteboard::changed);
        QVERIFY(runTool(QStringLiteral("wl-copy"), {}, QByteArray(m_limits.textBytes + 1, 'a')));
        QTRY_VERIFY_WITH_TIMEOUT(!changes.isEmpty(), 5000);
        QCOMPARE(readOnce()->kind, Kind::nothing);
        QCOMPARE(log.lines.size(), 1);

        const std::pair<std::optional<QByteArray>, Kind> hints[] = {
            {"secret", Kind::secret}, {"", Kind::secret}, {"public", Kind::text}, {std::nullopt, Kind::text}};
        for (const auto &[hint, expected] : hints) {
            QHash<QByteArray, QByteArray> content{{"text/plain;charset=utf-8", "hunter2"}};
            if (hint)
                content.insert(PasswordManagerHint::format, *hint);
            changes.clear();
            m_other.copy(content.keys(), content);
            QTRY_VERIFY_WITH_TIMEOUT(!changes.isEmpty(), 5000);
            QCOMPARE(readOnce()->kind, expected);
        }
    }

    void anOwnerThatNeverAnswers()
    {
        LogCapture log;
        QSignalSpy changes(m_pasteboard.get(), &Pasteboard::changed);
        m_other.copy({"text/plain;charset=utf-8"}, std::nullopt);
        QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 1, 5000);
        // Given up at the deadline.
        QCOMPARE(readOnce()->kind, Kind::nothing);
        QCOMPARE(log.lines,
                 QStringList{"[Lettergate] clipboard read dropped: its owner did not answer within 1000 ms"});

        // A copy during a read: the read starts over on it, and only the new copy arrives.
        QSignalSpy answers(m_pasteboard.get(), &Pasteboard::contentRead);
        m_pasteboard->requestContent();
        QTest::qWait(50);
        m_other.copy({"text/plain;charset=utf-8"}, {{{"text/plain;charset=utf-8", "the newer copy"}}});
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, 5000);
        QTest::qWait(100);
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers[0][0].value<PasteboardContent>().text, QStringLiteral("the newer copy"));
        QCOMPARE(log.lines.size(), 1);
    }

    void aProgramThatStopsReadingHoldsNothingOfOurs()
    {
        // As a program has it (a test runner may start us with SIGPIPE ignored).
        std::signal(SIGPIPE, SIG_DFL);
        for (const bool readerGoes : {true, false}) {
            int ends[2];
            QCOMPARE(pipe2(ends, O_CLOEXEC), 0);
            if (readerGoes)
                close(ends[0]);
            LogCapture log;
            // More than a pipe holds. A reader gone: the write ends, without the SIGPIPE
            // that would end this process. A reader that stays but takes nothing: given up.
            PipeWriter writer(ends[1], QByteArray(1 << 20, 'x'), nullptr, std::chrono::milliseconds(200));
            QSignalSpy finished(&writer, &PipeWriter::finished);
            QVERIFY(finished.wait(5000));
            QCOMPARE(log.lines.size(), readerGoes ? 0 : 1);
            if (!readerGoes)
                close(ends[0]);
        }
    }

private:
    // Asks for one read and serves the event loop until its content arrives.
    std::optional<PasteboardContent> readOnce()
    {
        QSignalSpy answers(m_pasteboard.get(), &Pasteboard::contentRead);
        m_pasteboard->requestContent();
        if (!answers.wait(10000) || answers.size() != 1)
            return std::nullopt;
        return answers.first().first().value<PasteboardContent>();
    }

    const ClipboardReadLimits m_limits{std::chrono::milliseconds(1000), qint64(1) << 20, qint64(64) << 20};
    std::unique_ptr<WaylandConnection> m_connection;
    wl_seat *m_seat = nullptr;
    std::unique_ptr<DataControlPasteboard> m_pasteboard;
    OtherProgram m_other;
};

QTEST_GUILESS_MAIN(DataControlTest)
#include "data_control_test.moc"
