#include "platform/ClipboardReadPlan.h"
#include "platform/CompactPicture.h"
#include "platform/OwnEnvironment.h"

#include <QTest>
#include <optional>

using namespace lettergate;

// The window-system-free helpers of the platform layer.
class PlatformHelpersTest : public QObject {
    Q_OBJECT
private slots:
    // Which formats a clipboard read asks an owner for, and in what order: the same for
    // every window system.
    void clipboardFormatsAreAskedForInOrder()
    {
        const QList<std::pair<QByteArrayList, QByteArrayList>> rows{
            // A Wayland text: the secret hint first.
            {{"text/plain", "STRING", "TEXT", "UTF8_STRING", "text/plain;charset=utf-8", "x-kde-passwordManagerHint"},
             {"x-kde-passwordManagerHint", "UTF8_STRING", "text/plain;charset=utf-8", "STRING", "text/plain"}},
            // Texts before pictures, PNG first.
            {{"image/jpeg", "image/png", "text/plain", "image/bmp"},
             {"text/plain", "image/png", "image/jpeg", "image/bmp"}},
            {{"TARGETS", "image/x-unknown", "text/html"}, {}},
        };
        for (const auto &[offered, asked] : rows) {
            ClipboardReadPlan plan(offered);
            QByteArrayList taken;
            while (const std::optional<ClipboardReadPlan::Step> step = plan.takeNext())
                taken.append(step->format);
            QCOMPARE(taken, asked);
        }
    }

    // An opaque picture keeps every pixel in less memory; a translucent one keeps its
    // transparency, and nothing is made of nothing.
    void opaquePicturesShrinkWithTheirPixelsAndOthersStayAsTheyAre()
    {
        QImage opaque(37, 23, QImage::Format_RGB32);
        for (int y = 0; y < opaque.height(); ++y)
            for (int x = 0; x < opaque.width(); ++x)
                opaque.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 0xff));
        const QImage compact = compactPicture(opaque);
        QVERIFY(!compact.hasAlphaChannel());
        QVERIFY(compact.sizeInBytes() < opaque.sizeInBytes());
        QCOMPARE(compact.convertToFormat(QImage::Format_RGB32), opaque);

        QImage translucent(8, 8, QImage::Format_ARGB32_Premultiplied);
        translucent.fill(qRgba(0, 0, 0, 0));
        QCOMPARE(compactPicture(translucent).cacheKey(), translucent.cacheKey());
        QVERIFY(compactPicture(QImage()).isNull());
    }

    // What the program sets for itself holds in its process only; the user's own value
    // is neither overridden nor hidden from the programs it starts.
    void ourEnvironmentIsForUsAloneAndTheUsersStaysTheirs()
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
    }
};

QTEST_MAIN(PlatformHelpersTest)
#include "platform_helpers_test.moc"
