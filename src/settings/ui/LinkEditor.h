#pragma once

#include "stores/QuickLink.h"

#include <QWidget>
class QLineEdit;
class QPushButton;

namespace lettergate {

class LinkStore;

// One quick link of the working copy: its name and url, and a button that opens the url
// as it stands, saved or not.
class LinkEditor : public QWidget {
    Q_OBJECT
public:
    using Record = QuickLink;

    LinkEditor(const QuickLink &link, LinkStore &store, QWidget *parent = nullptr);

    const QuickLink &record() const { return m_link; }

    QLineEdit *nameField() const { return m_name; }
    QLineEdit *urlField() const { return m_url; }
    // Disabled while the url is blank.
    QPushButton *openButton() const { return m_open; }

signals:
    void deleteRequested(const QUuid &id);

private:
    QuickLink m_link;
    QLineEdit *m_name;
    QLineEdit *m_url;
    QPushButton *m_open;
};

} // namespace lettergate
