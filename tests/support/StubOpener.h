#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

namespace lettergate {

// A desktop opener ("xdg-open") of the test's own, first on $PATH while it lives. Each
// call records its argument and exits with the given status, saying why on standard
// error when that is not 0. Without a status there is no opener on $PATH at all.
class StubOpener {
public:
    explicit StubOpener(std::optional<int> exitStatus = 0)
        : m_savedPath(qgetenv("PATH"))
    {
        if (exitStatus) {
            QFile script(m_directory.filePath(QStringLiteral("xdg-open")));
            script.open(QIODevice::WriteOnly);
            script.write("#!/bin/sh\nprintf '%s\\0' \"$1\" >> '" + QFile::encodeName(recordFile()) + "'\n");
            if (*exitStatus != 0)
                script.write("echo \"xdg-open: no method available for opening '$1'\" >&2\n");
            script.write("exit " + QByteArray::number(*exitStatus) + "\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
            qputenv("PATH", QFile::encodeName(m_directory.path()) + ':' + m_savedPath);
        } else {
            qputenv("PATH", QFile::encodeName(m_directory.path()));
        }
    }
    ~StubOpener()
    {
        qputenv("PATH", m_savedPath);
        awaitChildren();
    }
    StubOpener(const StubOpener &) = delete;
    StubOpener &operator=(const StubOpener &) = delete;

    // The arguments it was called with, in order.
    QStringList opened() const
    {
        QFile record(recordFile());
        if (!record.open(QIODevice::ReadOnly))
            return {};
        QStringList arguments;
        for (const QByteArray &argument : record.readAll().split('\0'))
            arguments << QString::fromUtf8(argument);
        arguments.removeLast(); // after the last terminator
        return arguments;
    }

private:
    // The openers started are waited for and their QProcess objects deleted, so that none
    // outlives the test (a leak at exit under the sanitizers). Qt reaps a child in the
    // same call that reports it finished, which schedules the object's deletion.
    static void awaitChildren()
    {
        const QDeadlineTimer deadline(5000);
        while (hasChildren() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static bool hasChildren()
    {
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile children(tasks.filePath(task + QStringLiteral("/children")));
            if (children.open(QIODevice::ReadOnly) && !children.readAll().trimmed().isEmpty())
                return true;
        }
        return false;
    }

    QString recordFile() const { return m_directory.filePath(QStringLiteral("opened")); }

    QTemporaryDir m_directory;
    QByteArray m_savedPath;
};

} // namespace lettergate
