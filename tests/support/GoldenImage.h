#pragma once

#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

namespace lettergate {

// Pictures compared with golden ones stored under tests/<folder>/golden/. Text is drawn
// in DejaVu Sans (fonts-dejavu-core, which scripts/install-deps installs), so a fresh
// Debian 12 machine draws the same pixels; a small tolerance absorbs antialiasing.
// LETTERGATE_UPDATE_GOLDEN=1 writes the pictures as the new golden ones instead (look
// at them before committing); a mismatch leaves the picture seen beside the build's
// temporary files for comparison.
namespace GoldenImage {

// A pixel differs when a channel is off by more than this; a picture matches when
// at most `maxDifferingShare` of its pixels differ.
constexpr int channelTolerance = 24;
constexpr double maxDifferingShare = 0.002;

inline void verifyFont()
{
    const QString family = QFontInfo(QGuiApplication::font()).family();
    QVERIFY2(family == QStringLiteral("DejaVu Sans"),
             qPrintable(QStringLiteral("the golden pictures are drawn in DejaVu Sans, not %1: run scripts/install-deps")
                            .arg(family)));
}

inline int differingPixels(const QImage &seen, const QImage &golden)
{
    int differing = 0;
    for (int y = 0; y < seen.height(); ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(seen.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(golden.constScanLine(y));
        for (int x = 0; x < seen.width(); ++x) {
            const bool same = qAbs(qRed(a[x]) - qRed(b[x])) <= channelTolerance
                              && qAbs(qGreen(a[x]) - qGreen(b[x])) <= channelTolerance
                              && qAbs(qBlue(a[x]) - qBlue(b[x])) <= channelTolerance
                              && qAbs(qAlpha(a[x]) - qAlpha(b[x])) <= channelTolerance;
            differing += same ? 0 : 1;
        }
    }
    return differing;
}

// `folder` is the test folder under tests/, `name` the picture's name without ".png".
inline void verify(const QImage &picture, const QString &folder, const QString &name)
{
    verifyFont();
    const QString path = QStringLiteral(LETTERGATE_TESTS_DIR "/%1/golden/%2.png").arg(folder, name);
    const QImage seen = picture.convertToFormat(QImage::Format_ARGB32);
    if (qEnvironmentVariableIntValue("LETTERGATE_UPDATE_GOLDEN") == 1) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(seen.save(path));
        return;
    }
    const QImage golden = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!golden.isNull(), qPrintable(path + QStringLiteral(" is missing")));
    QCOMPARE(seen.size(), golden.size());
    const int differing = differingPixels(seen, golden);
    if (differing > seen.width() * seen.height() * maxDifferingShare) {
        const QString kept = QDir::temp().filePath(QStringLiteral("lettergate-seen-%1.png").arg(name));
        seen.save(kept);
        QFAIL(qPrintable(QStringLiteral("%1: %2 pixels differ from the golden picture; seen: %3")
                             .arg(name)
                             .arg(differing)
                             .arg(kept)));
    }
}

} // namespace GoldenImage

} // namespace lettergate
