#include "rendering/SettingsRendering.h"

#include "settings/SettingsStore.h"
#include "settings/ui/SettingsServices.h"
#include "settings/ui/SnippetImagePreview.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/SnippetStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

namespace lettergate {

namespace {

constexpr int pictureLoadTimeoutMs = 5000;

template <typename Record>
Record named(const QString &name)
{
    Record record;
    record.name = name;
    return record;
}

// A small sample picture, imported as the user would import a file.
std::optional<Snippet> samplePictureSnippet(SnippetStore &snippets)
{
    QImage picture(240, 120, QImage::Format_RGB32);
    QPainter paint(&picture);
    QLinearGradient sky(0, 0, 240, 120);
    sky.setColorAt(0, QColor(0x3D, 0x7E, 0xE8));
    sky.setColorAt(1, QColor(0x8E, 0x5B, 0xD9));
    paint.fillRect(picture.rect(), sky);
    paint.setPen(Qt::white);
    paint.setFont(QFont(QStringLiteral("Sans"), 20, QFont::Bold));
    paint.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("Logo"));
    paint.end();

    QTemporaryDir scratch;
    const QString file = scratch.filePath(QStringLiteral("Team logo.png"));
    if (!picture.save(file))
        return std::nullopt;
    return snippets.importImage(QUrl::fromLocalFile(file));
}

void fillSnippets(SnippetStore &snippets)
{
    QList<Snippet> list;
    Snippet signature = named<Snippet>(QStringLiteral("Email signature"));
    signature.text = QStringLiteral("Best regards,\nAlex Morgan\nProduct team");
    list.append(signature);
    if (std::optional<Snippet> logo = samplePictureSnippet(snippets))
        list.append(*logo);
    Snippet address = named<Snippet>(QStringLiteral("Office address"));
    address.text = QStringLiteral("42 Example Street, Springfield");
    list.append(address);
    Snippet lost = named<Snippet>(QStringLiteral("Old diagram"));
    lost.kind = Snippet::Kind::image;
    lost.imageFileName = QStringLiteral("no-longer-here.png");
    list.append(lost);
    snippets.replaceAll(list);
}

void fillLinks(LinkStore &links)
{
    const std::pair<const char *, const char *> samples[] = {
        {"Team wiki", "https://wiki.example.com/team"},
        {"Build dashboard", "https://ci.example.com/builds?branch=main"},
        {"Mail the team", "mailto:team@example.com"},
    };
    QList<QuickLink> list;
    for (const auto &[name, url] : samples) {
        QuickLink link = named<QuickLink>(QString::fromUtf8(name));
        link.url = QString::fromUtf8(url);
        list.append(link);
    }
    links.replaceAll(list);
}

void fillCommands(CommandStore &commands)
{
    const std::pair<const char *, const char *> samples[] = {
        {"Back up notes", "rsync -a ~/notes/ /media/backup/notes/"},
        {"Free disk space", "df -h / | tail -1 | notify-send \"Disk\" \"$(cat)\""},
    };
    QList<Command> list;
    for (const auto &[name, line] : samples) {
        Command command = named<Command>(QString::fromUtf8(name));
        command.command = QString::fromUtf8(line);
        list.append(command);
    }
    commands.replaceAll(list);
}

void fillLetters(SettingsStore &settings)
{
    const std::tuple<const char *, const char *, const char *> samples[] = {
        {"org.gnome.Terminal.desktop", "Terminal", "t"},    {"firefox-esr.desktop", "Firefox ESR", "f"},
        {"org.gnome.Nautilus.desktop", "Files", "e"},       {"libreoffice-writer.desktop", "LibreOffice Writer", "w"},
        {"org.gnome.Calculator.desktop", "calculator", ""},
    };
    SettingsStore::AppTextMap letters = settings.letters();
    SettingsStore::AppTextMap names = settings.names();
    for (const auto &[bundleID, name, letter] : samples) {
        letters.insert(QString::fromUtf8(bundleID), QString::fromUtf8(letter));
        names.insert(QString::fromUtf8(bundleID), QString::fromUtf8(name));
    }
    settings.setLetters(letters);
    settings.setNames(names);
    settings.saveLetters();
}

void waitForPictures(const QWidget &view)
{
    const QDeadlineTimer deadline(pictureLoadTimeoutMs);
    auto loading = [&view] {
        const QList<SnippetImagePreview *> previews = view.findChildren<SnippetImagePreview *>();
        return std::ranges::any_of(previews, &SnippetImagePreview::isLoading);
    };
    while (loading() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

void SettingsRendering::fillWithSampleData(const SettingsServices &services)
{
    fillLetters(services.settings);
    fillSnippets(services.snippets);
    fillLinks(services.links);
    fillCommands(services.commands);
}

QImage SettingsRendering::render(const SettingsServices &services, SettingsView::Tab tab)
{
    SettingsView view(services);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.setFixedSize(SettingsView::contentSize);
    view.showTab(tab);
    view.show();
    waitForPictures(view);
    QCoreApplication::processEvents();
    return view.grab().toImage();
}

} // namespace lettergate
