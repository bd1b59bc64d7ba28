#include "platform/ClipboardReadPlan.h"

#include <QTest>

// Which formats a clipboard read asks an owner for, and in what order: the same for
// every window system.
class ClipboardReadPlanTest : public QObject {
    Q_OBJECT

private slots:
    void theFormatsAreAskedForInOrder_data()
    {
        QTest::addColumn<QByteArrayList>("offered");
        QTest::addColumn<QByteArrayList>("asked");
        QTest::newRow("a Wayland text, hint first") << QByteArrayList{"text/plain", "STRING", "TEXT", "UTF8_STRING",
                                                                      "text/plain;charset=utf-8",
                                                                      "x-kde-passwordManagerHint"}
                                                    << QByteArrayList{"x-kde-passwordManagerHint", "UTF8_STRING",
                                                                      "text/plain;charset=utf-8", "STRING",
                                                                      "text/plain"};
        QTest::newRow("texts before pictures, PNG first")
            << QByteArrayList{"image/jpeg", "image/png", "text/plain", "image/bmp"}
            << QByteArrayList{"text/plain", "image/png", "image/jpeg", "image/bmp"};
        QTest::newRow("nothing readable") << QByteArrayList{"TARGETS", "image/x-unknown", "text/html"}
                                          << QByteArrayList{};
    }

    void theFormatsAreAskedForInOrder()
    {
        QFETCH(QByteArrayList, offered);
        QFETCH(QByteArrayList, asked);
        ClipboardReadPlan plan(offered);
        QByteArrayList taken;
        while (const std::optional<ClipboardReadPlan::Step> step = plan.takeNext())
            taken.append(step->format);
        QCOMPARE(taken, asked);
    }
};

QTEST_GUILESS_MAIN(ClipboardReadPlanTest)
#include "clipboard_read_plan_test.moc"
