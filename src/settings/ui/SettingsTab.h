#pragma once

#include <QWidget>

namespace lettergate {

// A tab of the settings window. Each time it is shown (picked in the tab bar, or the
// window opened again) it re-reads what it displays from the stores, unless it still
// holds edits the user chose to go back to. The window system re-showing a minimised
// window reloads nothing.
class SettingsTab : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void reload() = 0;
    // Whether the tab shows edits that are not stored. Tabs that store every change at
    // once never have any.
    virtual bool hasUnsavedEdits() const { return false; }
    // Stores what the tab shows; a rejected Save shows why in the tab and stores nothing.
    virtual void save() {}

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_shownBefore = false;
};

} // namespace lettergate
