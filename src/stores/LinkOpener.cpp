#include "stores/LinkOpener.h"

#include "platform/Apps.h"
#include "platform/Feedback.h"
#include "stores/FailureNotice.h"
#include "stores/LinkTarget.h"

#include <QPointer>

namespace lettergate {

LinkOpener::LinkOpener(Apps &apps, Feedback &feedback, Notifications &notifications, QObject *parent)
    : QObject(parent)
    , m_apps(apps)
    , m_feedback(feedback)
    , m_notifications(notifications)
{
}

void LinkOpener::open(const QUrl &target)
{
    CommandRunner::run(opener, {openerArgument(target)},
                       [self = QPointer(this), target](const CommandRunner::Result &result) {
                           if (self)
                               self->openerEnded(target, result);
                       });
}

void LinkOpener::refuse(const QString &typed)
{
    m_feedback.beep();
    FailureNotice{
        QStringLiteral("Nothing to open"),
        QStringLiteral("“%1” is not a web address or a path.").arg(FailureNotice::shortened(typed.simplified()))}
        .showOn(m_notifications);
}

void LinkOpener::openerEnded(const QUrl &target, const CommandRunner::Result &result)
{
    if (result.ending == CommandRunner::Ending::failedToStart) {
        if (!m_apps.openUrl(target))
            fail(target, QStringLiteral("No application opens it (and %1 is not installed).").arg(opener));
        return;
    }
    if (result.succeeded())
        return;
    const QString said = FailureNotice::lastLines(result.output);
    fail(target,
         !said.isEmpty() ? said : QStringLiteral("%1 ended with exit status %2.").arg(opener).arg(result.exitCode));
}

void LinkOpener::fail(const QUrl &target, const QString &why)
{
    m_feedback.beep();
    FailureNotice{QStringLiteral("Could not open %1").arg(FailureNotice::shortened(openerArgument(target), 80)), why}
        .showOn(m_notifications);
}

} // namespace lettergate
