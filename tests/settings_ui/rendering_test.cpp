#include "SettingsUiTesting.h"
#include "support/GoldenImage.h"

#include "rendering/SettingsRendering.h"

#include <QDir>

using namespace lettergate;

using Tab = SettingsView::Tab;

namespace {

const std::pair<Tab, const char *> tabs[] = {
    {Tab::General, "general"}, {Tab::AppShortcuts, "app-shortcuts"}, {Tab::Snippets, "snippets"},
    {Tab::Links, "links"},     {Tab::Commands, "commands"},
};

// LETTERGATE_SCREENSHOT_DIR keeps the pictures for review (the screenshot script sets it).
void keep(const QImage &picture, const QString &name)
{
    const QString directory = qEnvironmentVariable("LETTERGATE_SCREENSHOT_DIR");
    if (directory.isEmpty())
        return;
    QDir().mkpath(directory);
    QVERIFY(picture.save(directory + QStringLiteral("/settings-%1.png").arg(name)));
}

} // namespace

class RenderingTest : public QObject {
    Q_OBJECT
private slots:
    void everyTabRendersEmptyAndFilled()
    {
        SettingsFixture fixture;
        QList<QImage> empty;
        for (const auto &[tab, name] : tabs) {
            const QImage picture = SettingsRendering::render(fixture.services(), tab);
            keep(picture, QString::fromLatin1(name) + QStringLiteral("-empty"));
            empty << picture;
        }

        const int ticks = fixture.tick();
        SettingsRendering::fillWithSampleData(fixture.services());
        QVERIFY(fixture.tick() > ticks); // the sample data went through the stores

        QImage filledSnippets;
        for (size_t i = 0; i < std::size(tabs); ++i) {
            const QImage picture = SettingsRendering::render(fixture.services(), tabs[i].first);
            const QString name = QString::fromLatin1(tabs[i].second) + QStringLiteral("-filled");
            keep(picture, name);
            // The General tab shows no lists; every other tab shows its content.
            QCOMPARE(picture == empty.at(int(i)), tabs[i].first == Tab::General);
            if (tabs[i].first == Tab::Snippets)
                filledSnippets = picture;
        }
        GoldenImage::verify(filledSnippets, QStringLiteral("settings_ui"), QStringLiteral("snippets-filled"));
    }
};

QTEST_MAIN(RenderingTest)
#include "rendering_test.moc"
