#include "panel/AppsPage.h"

#include "panel/AppIconCache.h"
#include "panel/Card.h"
#include "panel/CompactBottomBar.h"
#include "panel/GridPage.h"
#include "panel/PanelStyle.h"
#include "panel/PasteColumn.h"
#include "panel/PickLabel.h"
#include "stores/SnippetStore.h"
#include "switcher/SwitcherViewModel.h"

#include <QPainter>

namespace lettergate {

namespace {

constexpr int boxPaddingX = 20;
constexpr int boxSpacing = 16;
constexpr int dividerPaddingY = 11;
constexpr int barRowTop = 10;
constexpr int barRowBottom = 16;
constexpr int reservedForBoxes = 276 + 54;
constexpr int minimumGridHeight = 120;
constexpr int dividerBlock = 2 * dividerPaddingY + 1;

CardFace *appCard(const PageContext &context, const AppEntry &app, const GridMetrics &metrics)
{
    const qsizetype windows = app.windows.size();
    Card::Data data;
    data.icon = context.icons.icon(app.pid);
    data.title = app.appName;
    data.keyText = app.letter ? app.letter->toUpper() : QString();
    if (windows >= 2)
        data.countBadge = int(windows);
    data.windowId = AppsPage::pictureWindow(app).id;
    const auto &thumbnails = context.viewModel.thumbnails();
    if (const auto found = thumbnails.constFind(data.windowId); found != thumbnails.constEnd())
        data.thumbnail = *found;
    data.metrics = metrics;
    data.cascade = windows >= 2;
    return new Card(data, [&actions = context.actions, app] { callIfSet(actions.selectApp, app); });
}

// The item at `index` of the list as it is now: the list may have changed since the
// cell was drawn, and a cell past its end does nothing.
template <typename Item, typename Action>
std::function<void(int)> selectFromCurrentList(const QList<Item> &(SwitcherViewModel::*list)() const,
                                               const SwitcherViewModel &viewModel, const Action &action)
{
    return [&viewModel, list, &action](int index) {
        const QList<Item> &items = (viewModel.*list)();
        if (index >= 0 && index < items.size())
            callIfSet(action, items.at(index));
    };
}

template <typename Item, typename Cell, typename MakeCell>
QList<Cell> firstLayer(const QList<Item> &items, int count, const MakeCell &makeCell)
{
    QList<Cell> cells;
    for (int index = 0; index < qMin<qsizetype>(count, items.size()); ++index)
        cells.append(makeCell(index, items.at(index)));
    return cells;
}

} // namespace

const WindowInfo &AppsPage::pictureWindow(const AppEntry &app)
{
    return app.windows.constFirst();
}

int AppsPage::gridHeight(int pageHeight)
{
    return qMax(pageHeight - reservedForBoxes, minimumGridHeight);
}

AppsPage::AppsPage(const PageContext &context, QSize size, QWidget *parent)
    : QWidget(parent)
{
    resize(size);
    const SwitcherViewModel &model = context.viewModel;
    const SwitcherActions &actions = context.actions;
    const std::optional<Prefix> pending = model.pending();

    const int gridH = gridHeight(size.height());
    const int contentHeight = gridH + dividerBlock + columnRowHeight + barRowTop + barRowHeight + barRowBottom;
    int y = (size.height() - contentHeight) / 2;

    const QList<AppEntry> &apps = model.apps();
    m_grid = new GridPage(
        int(apps.size()), QSize(size.width(), gridH),
        [&](int index, const GridMetrics &metrics) { return appCard(context, apps.at(index), metrics); }, this);
    m_grid->move(0, y);
    y += gridH + dividerPaddingY;
    m_dividerY = y;
    y += 1 + dividerPaddingY;

    const QSize boxSize((size.width() - 2 * boxPaddingX - boxSpacing) / 2, columnRowHeight);
    const int secondX = boxPaddingX + boxSize.width() + boxSpacing;

    PasteColumn::Data clipboard{
        QStringLiteral("Clipboard"),
        QStringLiteral("doc.on.clipboard"),
        model.clipboardKey().toUpper(),
        pending == Prefix::clipboard,
        false,
        QStringLiteral("Nothing yet — copied items show up here"),
        firstLayer<ClipboardHistory::Item, PasteCell>(model.clipItems(), context.firstLayerCount, PasteCell::forClip),
        int(model.clipItems().size()),
        selectFromCurrentList(&SwitcherViewModel::clipItems, model, actions.pasteClip),
        actions.enterClipboard};
    m_clipboard = new PasteColumn(clipboard, boxSize, this);
    m_clipboard->move(boxPaddingX, y);

    PasteColumn::Data snippets{QStringLiteral("Snippets"),
                               QStringLiteral("text.alignleft"),
                               model.snippetKey().toUpper(),
                               pending == Prefix::snippet,
                               false,
                               QStringLiteral("Add in Settings → Snippets"),
                               firstLayer<Snippet, PasteCell>(model.snippetItems(), context.firstLayerCount,
                                                              [&](int index, const Snippet &snippet) {
                                                                  return PasteCell::forSnippet(index, snippet,
                                                                                               context.snippets);
                                                              }),
                               int(model.snippetItems().size()),
                               selectFromCurrentList(&SwitcherViewModel::snippetItems, model, actions.pasteSnippet),
                               actions.enterSnippets};
    m_snippets = new PasteColumn(snippets, boxSize, this);
    m_snippets->move(secondX, y);
    y += columnRowHeight + barRowTop;

    const QSize barSize(boxSize.width(), barRowHeight);
    CompactBottomBar::Data links{QStringLiteral("Quick Links"),
                                 QStringLiteral("link"),
                                 model.linkKey().toUpper(),
                                 pending == Prefix::link,
                                 QStringLiteral("Add in Settings → Links"),
                                 int(model.linkItems().size()),
                                 firstLayer<QuickLink, CompactChipData>(model.linkItems(), context.linkFirstLayerCount,
                                                                        CompactChipData::forLink),
                                 selectFromCurrentList(&SwitcherViewModel::linkItems, model, actions.openLink),
                                 actions.enterLinks};
    m_links = new CompactBottomBar(links, barSize, this);
    m_links->move(boxPaddingX, y);

    CompactBottomBar::Data commands{QStringLiteral("Commands"),
                                    QStringLiteral("terminal"),
                                    model.commandKey().toUpper(),
                                    pending == Prefix::command,
                                    QStringLiteral("Add in Settings → Commands"),
                                    int(model.commandItems().size()),
                                    firstLayer<Command, CompactChipData>(
                                        model.commandItems(), context.linkFirstLayerCount, CompactChipData::forCommand),
                                    selectFromCurrentList(&SwitcherViewModel::commandItems, model, actions.runCommand),
                                    actions.enterCommands};
    m_commands = new CompactBottomBar(commands, barSize, this);
    m_commands->move(secondX, y);
}

void AppsPage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(QRect(boxPaddingX, m_dividerY, width() - 2 * boxPaddingX, 1), PanelStyle::primary(0.12));
}

} // namespace lettergate
