#include "X11TestSupport.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11SelectionReader.h"
#include "support/LogCapture.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string_view>

using namespace lettergate;

using X11Test::HelperWindow;
using Kind = PasteboardContent::Kind;

namespace {

// Asks for one read and serves the event loop until its content arrives; nothing when
// none arrived within 20 s.
std::optional<PasteboardContent> readOnce(X11SelectionReader &reader)
{
    QSignalSpy answers(&reader, &X11SelectionReader::contentRead);
    reader.requestContent();
    if (!answers.wait(20000) || answers.size() != 1)
        return std::nullopt;
    return answers.first().first().value<PasteboardContent>();
}

std::unique_ptr<X11SelectionReader> openReader(X11SelectionLimits limits = {})
{
    std::unique_ptr<X11Display> display = X11Display::open();
    return display ? std::make_unique<X11SelectionReader>(std::move(display), limits) : nullptr;
}

// Copies the bytes with xclip and waits until xclip owns the clipboard, as Qt's own
// clipboard reports each new owner.
void copyText(const QByteArray &bytes, const QString &type = {})
{
    QTemporaryFile file;
    QVERIFY(file.open() && file.write(bytes) == bytes.size() && file.flush());
    QSignalSpy ownerChanges(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    X11Test::xclipCopy(file.fileName(), type);
    QTRY_VERIFY_WITH_TIMEOUT(!ownerChanges.isEmpty(), 10000);
}

} // namespace

// The clipboard read on a connection and thread of its own, from owners in other
// processes: xclip, and the helper window as an owner that hangs or dies.
class SelectionReaderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<PasteboardContent>();
        m_reader = openReader();
        QVERIFY(m_reader);
    }

    void textsInEachEncodingAndPicturesArriveWhole()
    {
        QImage red(20, 10, QImage::Format_RGB32);
        red.fill(Qt::red);
        red.setPixelColor(19, 9, Qt::blue);
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && red.save(&buffer, "PNG"));
        // An owner that offers only Latin-1; a picture format that does not decode gives
        // nothing, not a broken picture.
        const struct {
            QByteArray bytes;
            QString type;
            PasteboardContent expected;
        } copies[] = {
            {"copied by xclip ✓", {}, PasteboardContent::ofText(QStringLiteral("copied by xclip ✓"))},
            {"caf\xe9", QStringLiteral("STRING"), PasteboardContent::ofText(QStringLiteral("café"))},
            {png, QStringLiteral("image/png"), PasteboardContent::ofImage(red)},
            {"not a picture at all", QStringLiteral("image/png"), {}},
        };
        for (const auto &copy : copies) {
            copyText(copy.bytes, copy.type);
            const std::optional<PasteboardContent> content = readOnce(*m_reader);
            QVERIFY(content);
            QCOMPARE(std::tie(content->kind, content->text), std::tie(copy.expected.kind, copy.expected.text));
            QCOMPARE(content->image.convertToFormat(QImage::Format_RGB32), copy.expected.image);
        }
    }

    void aLargeClipboardComesInChunksAndPastTheLimitIsDropped()
    {
        // Twenty megabytes: far more than one property holds, so the owner sends INCR chunks.
        QByteArray big(20 << 20, 'x');
        for (qsizetype i = 0; i < big.size(); i += 4096)
            big[i] = char('a' + (i / 4096) % 26);
        copyText(big);
        std::optional<PasteboardContent> content = readOnce(*m_reader);
        QVERIFY(content && content->text == QLatin1StringView(big));

        // With a smaller limit the same transfer is dropped, with one line, and the next
        // read works.
        const std::unique_ptr<X11SelectionReader> small = openReader(
            {std::chrono::milliseconds(2000), 1 << 20, 1 << 20});
        QVERIFY(small);
        LogCapture log;
        content = readOnce(*small);
        QVERIFY(content && content->kind == Kind::nothing);
        QCOMPARE(log.lines, QStringList{QStringLiteral(
                                "[Lettergate] clipboard read dropped: its content passed the limit of 1 MiB")});
        copyText("small again");
        content = readOnce(*small);
        QVERIFY(content && content->text == QStringLiteral("small again"));
    }

    void contentMarkedSecretIsReportedAsSuch()
    {
        // An owner that lists the hint but does not send it may be a password manager
        // too: a hint that cannot be read counts as secret.
        const struct {
            QStringList hint;
            Kind kind;
        } owners[] = {{{"--secret"}, Kind::secret}, {{"--refuse-hint"}, Kind::secret}, {{}, Kind::text}};
        for (const auto &owner : owners) {
            HelperWindow window(QStringList{"--title", "Owner", "--clipboard", "hunter2 ✓"} + owner.hint);
            QCOMPARE(window.waitForLine(QStringLiteral("clipboard")), QStringLiteral("clipboard owned"));
            const std::optional<PasteboardContent> content = readOnce(*m_reader);
            QVERIFY(content && content->kind == owner.kind);
            QCOMPARE(content->text, owner.kind == Kind::text ? QStringLiteral("hunter2 ✓") : QString());
        }
    }

    // An owner that lists its formats, then never sends its text: the read waits for it
    // while the event loop keeps turning, and ends at the deadline, when another client
    // takes the clipboard (the read is then the new owner's, whole), or when the owner
    // dies (ended by its going, not by the deadline). Then the reader is free again.
    void anOwnerThatHangsMidTransferHoldsNothingButItsOwnRead()
    {
        const struct {
            const char *meanwhile;
            PasteboardContent expected;
            QStringList log;
        } cases[] = {
            {"nothing", {}, {"[Lettergate] clipboard read dropped: its owner did not answer within 2000 ms"}},
            {"another copy", PasteboardContent::ofText(QStringLiteral("from the second owner")), {}},
            {"the owner dies", {}, {}},
        };
        for (const auto &test : cases) {
            auto hung = std::make_unique<HelperWindow>(
                QStringList{"--title", "Hung", "--clipboard", "never sent", "--stall"});
            QCOMPARE(hung->waitForLine(QStringLiteral("clipboard")), QStringLiteral("clipboard owned"));
            QTimer ticker;
            QSignalSpy ticks(&ticker, &QTimer::timeout);
            ticker.start(50);
            LogCapture log;
            QSignalSpy answers(m_reader.get(), &X11SelectionReader::contentRead);
            m_reader->requestContent();
            QCOMPARE(hung->waitForLine(QStringLiteral("clipboard stalled")), QStringLiteral("clipboard stalled"));
            QVERIFY(answers.isEmpty());
            if (test.meanwhile == std::string_view("another copy"))
                copyText("from the second owner");
            else if (test.meanwhile == std::string_view("the owner dies"))
                hung.reset();
            QVERIFY2(!answers.isEmpty() || answers.wait(20000), test.meanwhile);
            QCOMPARE(answers.size(), 1);
            const PasteboardContent content = answers.first().first().value<PasteboardContent>();
            QCOMPARE(std::tie(content.kind, content.text), std::tie(test.expected.kind, test.expected.text));
            QCOMPARE(log.lines, test.log);
            // Generous: twenty ticks were due while the read waited for its deadline.
            QVERIFY2(test.log.isEmpty() || ticks.size() >= 5, qPrintable(QString::number(ticks.size())));

            copyText("after the hung owner");
            const std::optional<PasteboardContent> next = readOnce(*m_reader);
            QVERIFY(next && next->text == QStringLiteral("after the hung owner"));
        }
    }

    void anOwnerThatAnswersAfterTheReadGaveUpFindsItsRequestorStillThere()
    {
        // Many owners (xclip among them) exit on an X error, taking the clipboard's
        // content with them: a late answer must not meet a destroyed window.
        HelperWindow late({"--title", "Late", "--clipboard", "late words", "--answer-after", "1500"});
        QCOMPARE(late.waitForLine(QStringLiteral("clipboard")), QStringLiteral("clipboard owned"));
        const std::unique_ptr<X11SelectionReader> impatient = openReader({.deadline = std::chrono::milliseconds(300)});
        QVERIFY(impatient);
        const std::optional<PasteboardContent> dropped = readOnce(*impatient);
        QVERIFY(dropped && dropped->kind == Kind::nothing);
        QCOMPARE(late.waitForLine(QStringLiteral("clipboard answer")), QStringLiteral("clipboard answered"));
    }

private:
    std::unique_ptr<X11SelectionReader> m_reader;
};

QTEST_MAIN(SelectionReaderTest)
#include "selection_reader_test.moc"
