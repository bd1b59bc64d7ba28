#include "platform/CompactPicture.h"

#include <QPainter>
#include <QTest>

class CompactPictureTest : public QObject {
    Q_OBJECT
private slots:
    // An opaque picture keeps every pixel in less memory; a translucent one keeps its
    // transparency, and nothing is made of nothing.
    void opaquePicturesShrinkWithTheirPixelsAndOthersStayAsTheyAre()
    {
        QImage opaque(37, 23, QImage::Format_RGB32);
        for (int y = 0; y < opaque.height(); ++y)
            for (int x = 0; x < opaque.width(); ++x)
                opaque.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 0xff));
        const QImage compact = compactPicture(opaque);
        QCOMPARE(compact.size(), opaque.size());
        QVERIFY(!compact.hasAlphaChannel());
        QVERIFY(compact.sizeInBytes() < opaque.sizeInBytes());
        QCOMPARE(compact.convertToFormat(QImage::Format_RGB32), opaque);
        // Drawn, it paints what the original would.
        QImage drawn(opaque.size(), QImage::Format_RGB32);
        drawn.fill(Qt::black);
        QPainter(&drawn).drawImage(0, 0, compact);
        QCOMPARE(drawn, opaque);

        QImage translucent(8, 8, QImage::Format_ARGB32_Premultiplied);
        translucent.fill(qRgba(0, 0, 0, 0));
        translucent.setPixel(3, 4, qPremultiply(qRgba(200, 100, 50, 128)));
        const QImage kept = compactPicture(translucent);
        QCOMPARE(kept.cacheKey(), translucent.cacheKey());
        QCOMPARE(qAlpha(kept.pixel(3, 4)), 128);

        QVERIFY(compactPicture(QImage()).isNull());
    }
};

QTEST_MAIN(CompactPictureTest)
#include "compact_picture_test.moc"
