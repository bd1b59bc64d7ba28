#pragma once

#include "settings/ui/RowList.h"

#include <QLineEdit>
#include <QList>
#include <QUuid>
#include <functional>

namespace lettergate {

// The working copy of a content tab, held as its editors in a RowList: each editor is
// bound to one record, and the draft is their records in list order. An editor's
// delete button takes out every editor of the same record id. Nothing is stored here.
//
// Editor is a QWidget with `using Record = …`, `Record record() const`, its first field
// as `QLineEdit *nameField() const` and a signal `deleteRequested(QUuid)`.
template <typename Editor>
class DraftEditors {
public:
    using Record = typename Editor::Record;
    using Make = std::function<Editor *(const Record &)>;

    DraftEditors(RowList &list, Make make)
        : m_list(list)
        , m_make(std::move(make))
    {
    }

    void load(const QList<Record> &records)
    {
        m_list.clear();
        for (const Record &record : records)
            append(record);
    }

    void append(const Record &record)
    {
        Editor *editor = m_make(record);
        QObject::connect(editor, &Editor::deleteRequested, &m_list, [this](const QUuid &id) { remove(id); });
        m_list.append(editor);
    }

    // What an add button does: the new editor is scrolled into view with its name
    // selected, ready to be typed over.
    void appendNew(const Record &record)
    {
        append(record);
        Editor *editor = editors().constLast();
        // Shown now rather than when the layout gets to it, so it takes the focus at once.
        editor->show();
        editor->nameField()->setFocus(Qt::OtherFocusReason);
        editor->nameField()->selectAll();
        m_list.reveal(editor);
    }

    void remove(const QUuid &id)
    {
        for (Editor *editor : editors()) {
            if (editor->record().id == id)
                m_list.remove(editor);
        }
    }

    QList<Editor *> editors() const
    {
        QList<Editor *> editors;
        for (QWidget *row : m_list.rows())
            editors.append(static_cast<Editor *>(row));
        return editors;
    }

    QList<Record> records() const
    {
        QList<Record> records;
        for (const Editor *editor : editors())
            records.append(editor->record());
        return records;
    }

private:
    RowList &m_list;
    Make m_make;
};

} // namespace lettergate
