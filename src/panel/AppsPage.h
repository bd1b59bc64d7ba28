#pragma once

#include "panel/PageContext.h"

#include <QWidget>

namespace lettergate {

class CompactBottomBar;
class GridPage;
class PasteColumn;

// The first page: the grid of app cards above the clipboard and snippet columns and
// the link and command bars, each box showing the first entries of its list.
class AppsPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int columnRowHeight = 150;
    static constexpr int barRowHeight = 100;

    AppsPage(const PageContext &context, QSize size, QWidget *parent = nullptr);

    // The height the app grid gets in a page of this height: what the boxes leave,
    // never less than 120.
    static int gridHeight(int pageHeight);
    // The window whose picture an app's card shows.
    static const WindowInfo &pictureWindow(const AppEntry &app);

    GridPage *grid() const { return m_grid; }
    PasteColumn *clipboardColumn() const { return m_clipboard; }
    PasteColumn *snippetColumn() const { return m_snippets; }
    CompactBottomBar *linkBar() const { return m_links; }
    CompactBottomBar *commandBar() const { return m_commands; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GridPage *m_grid;
    PasteColumn *m_clipboard;
    PasteColumn *m_snippets;
    CompactBottomBar *m_links;
    CompactBottomBar *m_commands;
    int m_dividerY = 0;
};

} // namespace lettergate
