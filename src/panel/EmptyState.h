#pragma once

#include <QWidget>

namespace lettergate {

// What a full list page shows when its list is empty: a tray, a title and a subtitle,
// in the middle of the page.
class EmptyState : public QWidget {
    Q_OBJECT
public:
    EmptyState(QString title, QString subtitle, QSize size, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_subtitle;
};

} // namespace lettergate
