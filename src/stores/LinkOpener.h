#pragma once

#include "stores/CommandRunner.h"

#include <QObject>
#include <QUrl>

namespace lettergate {

class Apps;
class Feedback;
class Notifications;

// Opens a link's target as the desktop opens it: through xdg-open, so $BROWSER and
// the desktop's own choice of application hold, with the platform's handler look-up
// (Apps::openUrl) only when xdg-open is missing or cannot start. xdg-open runs as a
// process of its own, watched without waiting: a failure (no handler, a file that is
// not there) arrives later as the bell and one notification.
class LinkOpener final : public QObject {
    Q_OBJECT
public:
    static inline const QString opener = QStringLiteral("xdg-open");

    LinkOpener(Apps &apps, Feedback &feedback, Notifications &notifications, QObject *parent = nullptr);

    // Returns at once.
    void open(const QUrl &target);
    // The text typed makes no link: the bell and one notification.
    void refuse(const QString &typed);

private:
    void openerEnded(const QUrl &target, const CommandRunner::Result &result);
    void fail(const QUrl &target, const QString &why);

    Apps &m_apps;
    Feedback &m_feedback;
    Notifications &m_notifications;
};

} // namespace lettergate
