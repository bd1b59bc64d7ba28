#pragma once

#include "settings/ui/SettingsTab.h"

#include <optional>
class QPushButton;
class QHBoxLayout;
class QVBoxLayout;

namespace lettergate {

class ErrorLine;
class RowList;

// The frame the Snippets, Links and Commands tabs share, top to bottom: a header (the
// title, the red line of a rejected Save, the add buttons and Save), a divider, the area
// with the tab's keys, a divider, and the list of editors or its empty notice.
class ContentTab : public SettingsTab {
    Q_OBJECT
public:
    std::optional<QString> errorText() const;
    // Validates the keys, then stores the working copy; on a rejection stores nothing.
    void save() override = 0;

protected:
    struct Texts {
        QString title;
        QString emptyTitle;
        QString emptyCaption;
    };

    explicit ContentTab(const Texts &texts, QWidget *parent = nullptr);

    // A button placed in the header before Save; `symbol` names its icon.
    QPushButton *addHeaderButton(const QString &title, QStringView symbol);
    QVBoxLayout *keyArea() const { return m_keyArea; }
    RowList &rowList() const { return *m_rows; }
    void setErrorText(const std::optional<QString> &text);

    // What a Save hands the settings store for a key field: its first character in
    // lower case (empty for an empty field).
    static QString typedKey(const QString &fieldText);

private:
    ErrorLine *m_error;
    QHBoxLayout *m_headerButtons;
    QVBoxLayout *m_keyArea;
    RowList *m_rows;
};

} // namespace lettergate
