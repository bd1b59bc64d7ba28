#include "panel/PageBuilder.h"

#include "panel/AppIconCache.h"
#include "panel/AppsPage.h"
#include "panel/Card.h"
#include "panel/EmptyState.h"
#include "panel/GridPage.h"
#include "panel/PickLabel.h"
#include "panel/SnipCard.h"
#include "stores/SnippetStore.h"
#include "switcher/SwitcherViewModel.h"

namespace lettergate {

namespace {

QWidget *windowsPage(const PageContext &context, QSize size)
{
    const std::optional<AppEntry> app = context.viewModel.drilledApp();
    if (!app) {
        auto *empty = new QWidget;
        empty->resize(size);
        return empty;
    }
    const QList<WindowInfo> windows = app->windows;
    return new GridPage(int(windows.size()), size, [&](int index, const GridMetrics &metrics) -> CardFace * {
        const WindowInfo &window = windows.at(index);
        Card::Data data;
        data.icon = context.icons.icon(window.pid);
        data.title = window.title.isEmpty() ? window.appName : window.title;
        data.keyText = pickLabel(index);
        data.windowId = window.id;
        const auto &thumbnails = context.viewModel.thumbnails();
        if (const auto found = thumbnails.constFind(window.id); found != thumbnails.constEnd())
            data.thumbnail = *found;
        data.metrics = metrics;
        return new Card(data, [&actions = context.actions, window] { callIfSet(actions.selectWindow, window); });
    });
}

struct EmptyText {
    QString title;
    QString subtitle;
};

// One card per item of the whole list, or the empty state.
template <typename Item, typename Describe, typename Action>
QWidget *listPage(const QList<Item> &items, QSize size, const EmptyText &empty, const Describe &describe,
                  const Action &action)
{
    if (items.isEmpty())
        return new EmptyState(empty.title, empty.subtitle, size);
    return new GridPage(int(items.size()), size, [&](int index, const GridMetrics &metrics) -> CardFace * {
        const Item &item = items.at(index);
        SnipCard::Data data = describe(item);
        data.keyText = pickLabel(index);
        data.metrics = metrics;
        return new SnipCard(data, [&action, item] { callIfSet(action, item); });
    });
}

SnipCard::Data clipCard(const ClipboardHistory::Item &item)
{
    SnipCard::Data data;
    data.title = item.isImage() ? QStringLiteral("Image") : QStringLiteral("Text");
    data.systemIcon = item.isImage() ? QStringLiteral("photo") : QStringLiteral("doc.on.clipboard");
    data.text = item.text;
    if (item.isImage() && !item.picture.preview().isNull())
        data.image = item.picture.preview();
    return data;
}

SnipCard::Data snippetCard(const Snippet &snippet, const SnippetStore &store)
{
    SnipCard::Data data;
    data.title = snippet.name.isEmpty() ? QStringLiteral("Untitled") : snippet.name;
    if (snippet.kind == Snippet::Kind::image) {
        data.systemIcon = QStringLiteral("photo");
        data.image = store.previews().preview(snippet);
    } else {
        data.systemIcon = QStringLiteral("text.alignleft");
        data.text = snippet.text;
    }
    return data;
}

SnipCard::Data namedCard(const QString &name, const QString &body, const QString &symbol)
{
    SnipCard::Data data;
    data.title = name.isEmpty() ? body : name;
    data.systemIcon = symbol;
    data.text = body;
    return data;
}

} // namespace

QWidget *buildPage(const PageContext &context, QSize size)
{
    const SwitcherViewModel &model = context.viewModel;
    const SwitcherActions &actions = context.actions;
    switch (model.stage().kind()) {
    case Stage::Kind::apps:
        return new AppsPage(context, size);
    case Stage::Kind::windows:
        return windowsPage(context, size);
    case Stage::Kind::clipboard:
        return listPage(model.clipItems(), size,
                        {QStringLiteral("Clipboard history is empty"),
                         QStringLiteral("Copy some text or images and come back")},
                        clipCard, actions.pasteClip);
    case Stage::Kind::snippets:
        return listPage(
            model.snippetItems(), size,
            {QStringLiteral("No snippets yet"), QStringLiteral("Add them in Settings → Snippets")},
            [&](const Snippet &snippet) { return snippetCard(snippet, context.snippets); }, actions.pasteSnippet);
    case Stage::Kind::links:
        return listPage(
            model.linkItems(), size,
            {QStringLiteral("No quick links yet"), QStringLiteral("Add them in Settings → Links")},
            [](const QuickLink &link) { return namedCard(link.name, link.url, QStringLiteral("globe")); },
            actions.openLink);
    case Stage::Kind::commands:
        return listPage(
            model.commandItems(), size,
            {QStringLiteral("No commands yet"), QStringLiteral("Add shell commands in Settings → Commands")},
            [](const Command &command) { return namedCard(command.name, command.command, QStringLiteral("terminal")); },
            actions.runCommand);
    }
    Q_UNREACHABLE();
}

} // namespace lettergate
