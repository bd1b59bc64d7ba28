#include "panel/HeaderContent.h"

#include "switcher/SwitcherViewModel.h"

namespace lettergate {

namespace {

// Named as Linux keyboards label the key.
const QString backHint = QStringLiteral(" · Backspace to go back");

QString appsHint(const SwitcherViewModel &viewModel)
{
    const QStringList keys{viewModel.clipboardKey().toUpper(), viewModel.snippetKey().toUpper(),
                           viewModel.linkKey().toUpper(), viewModel.commandKey().toUpper()};
    return QStringLiteral("· Press an app's letter to switch · ") + keys.join(u'/')
           + QStringLiteral(" for clipboard / snippet / link / command · arrows, Tab and Enter work too");
}

HeaderContent listPage(const QString &title, const QString &hint, qsizetype count, const QString &noun)
{
    return {true, {}, title, hint, QString::number(count) + noun};
}

} // namespace

HeaderContent HeaderContent::forViewModel(const SwitcherViewModel &viewModel)
{
    switch (viewModel.stage().kind()) {
    case Stage::Kind::windows: {
        const std::optional<AppEntry> app = viewModel.drilledApp();
        return {true,
                {},
                app ? app->appName : QString(),
                QStringLiteral("· Press a number or click to pick a window") + backHint,
                std::nullopt};
    }
    case Stage::Kind::apps:
        return {false, QStringLiteral("rectangle.on.rectangle.angled"), QStringLiteral("Switch Windows"),
                appsHint(viewModel), QString::number(viewModel.apps().size()) + QStringLiteral(" apps")};
    case Stage::Kind::clipboard:
        return listPage(QStringLiteral("Clipboard"),
                        QStringLiteral("· Press a number or click to paste into the previous app") + backHint,
                        viewModel.clipItems().size(), QStringLiteral(" items"));
    case Stage::Kind::snippets:
        return listPage(QStringLiteral("Snippets"), QStringLiteral("· Press a number or click to paste") + backHint,
                        viewModel.snippetItems().size(), QStringLiteral(" items"));
    case Stage::Kind::links:
        return listPage(QStringLiteral("Quick Links"), QStringLiteral("· Press a number or click to open") + backHint,
                        viewModel.linkItems().size(), QStringLiteral(" links"));
    case Stage::Kind::commands:
        return listPage(QStringLiteral("Commands"), QStringLiteral("· Press a number or click to run") + backHint,
                        viewModel.commandItems().size(), QStringLiteral(" commands"));
    }
    Q_UNREACHABLE();
}

} // namespace lettergate
