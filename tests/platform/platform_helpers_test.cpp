#include "platform/ClipboardReadPlan.h"
#include "platform/CompactPicture.h"
#include "platform/Log.h"
#include "platform/OwnEnvironment.h"
#include "platform/Paths.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <optional>

using namespace lettergate;

using namespace Qt::StringLiterals;

// The window-system-free helpers of the platform layer: the log, the paths, the
// clipboard's read plan, pictures and the environment of the programs we start.
class PlatformHelpersTest : public QObject {
    Q_OBJECT
private slots:
    // Which formats a clipboard read asks an owner for, and in what order: the same for
    // every window system.
    // A clipboard read: its formats are asked for in order, only STRING read as Latin-1
    // (a text/plain without a charset is UTF-8 in practice), and a picture kept compact.
    void clipboardFormatsAreAskedForInOrderAndPicturesKeptCompact()
    {
        const QList<std::pair<QByteArrayList, QByteArrayList>> rows{
            // A Wayland text: the secret hint first.
            {{"text/plain", "STRING", "TEXT", "UTF8_STRING", "text/plain;charset=utf-8", "x-kde-passwordManagerHint"},
             {"x-kde-passwordManagerHint", "UTF8_STRING", "text/plain;charset=utf-8", "STRING (Latin-1)",
              "text/plain"}},
            // Texts before pictures, PNG first.
            {{"image/jpeg", "image/png", "text/plain", "image/bmp"},
             {"text/plain", "image/png", "image/jpeg", "image/bmp"}},
            {{"TARGETS", "image/x-unknown", "text/html"}, {}},
        };
        for (const auto &[offered, asked] : rows) {
            ClipboardReadPlan plan(offered);
            QByteArrayList taken;
            while (const std::optional<ClipboardReadPlan::Step> step = plan.takeNext())
                taken.append(step->kind == ClipboardReadPlan::Step::Kind::latin1Text ? step->format + " (Latin-1)"
                                                                                     : step->format);
            QCOMPARE(taken, asked);
        }

        // A picture read is kept: an opaque one with every pixel in less memory, a
        // translucent one as it is, and nothing is made of nothing.
        QImage opaque(37, 23, QImage::Format_RGB32);
        for (int y = 0; y < opaque.height(); ++y)
            for (int x = 0; x < opaque.width(); ++x)
                opaque.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 0xff));
        const QImage compact = compactPicture(opaque);
        QVERIFY(compact.sizeInBytes() < opaque.sizeInBytes());
        QCOMPARE(compact.convertToFormat(QImage::Format_RGB32), opaque);

        QImage translucent(8, 8, QImage::Format_ARGB32_Premultiplied);
        translucent.fill(qRgba(0, 0, 0, 0));
        QCOMPARE(compactPicture(translucent).cacheKey(), translucent.cacheKey());
        QVERIFY(compactPicture(QImage()).isNull());
    }

    // What the program sets for itself holds in its process only; the user's own value
    // is neither overridden nor hidden from the programs it starts.
    void ourEnvironmentIsForUsAloneAndOurStateFollowsTheXdgVariables()
    {
        struct Row {
            const char *name;
            std::optional<QByteArray> usersValue;
            QByteArray ours;
            QByteArray inOurProcess;
            std::optional<QString> forChildren; // nothing: left out
        };
        const QList<Row> rows{
            {"LETTERGATE_TEST_UNSET", std::nullopt, "wayland", "wayland", std::nullopt},
            {"LETTERGATE_TEST_EMPTY", QByteArray(""), "xcb", "xcb", std::nullopt},
            {"LETTERGATE_TEST_USERS", QByteArray("xcb"), "wayland", "xcb", QStringLiteral("xcb")},
        };
        for (const Row &row : rows) {
            if (row.usersValue)
                qputenv(row.name, *row.usersValue);
            else
                qunsetenv(row.name);
            OwnEnvironment::setUnlessSet(row.name, row.ours);
        }
        qputenv("LETTERGATE_TEST_UNRELATED", "kept");
        const QProcessEnvironment children = OwnEnvironment::forChildren();
        for (const Row &row : rows) {
            QCOMPARE(qgetenv(row.name), row.inOurProcess);
            const QString name = QString::fromLatin1(row.name);
            QCOMPARE(children.contains(name) ? std::optional(children.value(name)) : std::nullopt, row.forChildren);
            QCOMPARE(OwnEnvironment::names().contains(name), !row.forChildren.has_value());
        }
        QCOMPARE(children.value(QStringLiteral("LETTERGATE_TEST_UNRELATED")), QStringLiteral("kept"));

        // Our state follows the XDG variables; the XDG rules say a relative path is invalid
        // and must be ignored.
        TestEnvironment environment;
        QVERIFY(Paths::dataDirectory().startsWith(environment.dataHome() + u'/'));
        QVERIFY(Paths::settingsFile().startsWith(environment.configHome() + u'/'));
        qputenv("XDG_DATA_HOME", "relative/dir");
        QVERIFY(Paths::dataDirectory().startsWith(QDir::homePath() + QStringLiteral("/.local/share")));
    }

    // Every message, Qt's own included, becomes the lines the log has always had: the
    // prefix on the first line only, warnings marked, nothing that steers a terminal.
    void messagesBecomeTheLogsLines()
    {
        // Debug lines are off until rules turn them on, and every category answers to the
        // "lettergate.*" rules the README gives.
        for (const QLoggingCategory *category : {&lcApp(), &lcHotkeys(), &lcClipboard(), &lcStores(), &lcSettings(),
                                                 &lcWindows(), &lcPlatform(), &lcX11(), &lcWayland()})
            QVERIFY2(!category->isDebugEnabled() && category->isInfoEnabled()
                         && QByteArray(category->categoryName()).startsWith("lettergate."),
                     category->categoryName());
        LogCapture log;
        qCInfo(lcHotkeys).noquote() << u"hotkey registered:⌃⌥W"_s;
        qCWarning(lcStores).noquote() << u"could not write /tmp/a b.json: \"disk\" full "_s;
        qWarning("QWidget::setLayout: a layout is already set");
        qCInfo(lcWindows).noquote()
            << u"Enumerated 2 windows:\n  [0] Editor  #7  'a\tb'  10x20\n  [1] Term  #9  ''  5x5"_s;
        qCInfo(lcWindows).noquote() << u"title \x1b]0;owned\x07 and \r[Lettergate] forged"_s;
        QCOMPARE(log.lines, (QStringList{
                                u"[Lettergate] hotkey registered:⌃⌥W"_s,
                                u"[Lettergate] ⚠️ could not write /tmp/a b.json: \"disk\" full "_s,
                                u"[Lettergate] ⚠️ QWidget::setLayout: a layout is already set"_s,
                                u"[Lettergate] Enumerated 2 windows:"_s,
                                u"  [0] Editor  #7  'a\tb'  10x20"_s,
                                u"  [1] Term  #9  ''  5x5"_s,
                                u"[Lettergate] title \uFFFD]0;owned\uFFFD and \uFFFD[Lettergate] forged"_s,
                            }));
    }
};

QTEST_MAIN(PlatformHelpersTest)
#include "platform_helpers_test.moc"
