#include "stores/CommandRunner.h"

#include "platform/OwnEnvironment.h"
#include "stores/CommandOutputPipe.h"
#include "stores/RunningCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QStringDecoder>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace lettergate {

namespace {

// The end of the output, at most maximumOutputBytes of it (the buffer holds up to
// twice that between trims, so trimming stays rare).
class OutputTail {
public:
    void append(QByteArrayView bytes)
    {
        if (bytes.size() > CommandRunner::maximumOutputBytes) {
            m_bytes = bytes.last(CommandRunner::maximumOutputBytes).toByteArray();
            m_cut = true;
            return;
        }
        m_bytes.append(bytes);
        if (m_bytes.size() > 2 * CommandRunner::maximumOutputBytes) {
            m_bytes.remove(0, m_bytes.size() - CommandRunner::maximumOutputBytes);
            m_cut = true;
        }
    }

    QString text() const
    {
        QByteArrayView kept = m_bytes;
        if (m_cut && kept.size() > CommandRunner::maximumOutputBytes)
            kept = kept.last(CommandRunner::maximumOutputBytes);
        // A character the cut split in two is left out rather than voiding the text.
        if (m_cut)
            while (!kept.isEmpty() && (uchar(kept.front()) & 0xC0) == 0x80)
                kept = kept.sliced(1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(kept);
        return decoder.hasError() ? QString() : text;
    }

private:
    QByteArray m_bytes;
    bool m_cut = false;
};

} // namespace

void CommandRunner::runCommand(RunningCommands &running, const QString &name, const QString &commandLine,
                               Completion completion)
{
    runOnGuiThread({QStringLiteral("/bin/bash"), {QStringLiteral("-c"), commandLine}, name, &running},
                   std::move(completion));
}

void CommandRunner::run(const QString &program, const QStringList &arguments, Completion completion)
{
    runOnGuiThread({program, arguments, std::nullopt}, std::move(completion));
}

void CommandRunner::runOnGuiThread(Launch launch, Completion completion)
{
    // The process and its signals belong to the GUI thread, whoever asks.
    QCoreApplication *application = QCoreApplication::instance();
    if (QThread::currentThread() != application->thread()) {
        QMetaObject::invokeMethod(
            application,
            [launch = std::move(launch), completion = std::move(completion)] { start(launch, completion); },
            Qt::QueuedConnection);
        return;
    }
    start(launch, std::move(completion));
}

void CommandRunner::start(const Launch &launch, Completion completion)
{
    // No parent: the process belongs to no window or service.
    auto *process = new QProcess;
    process->setProgram(launch.program);
    process->setArguments(launch.arguments);
    process->setWorkingDirectory(QDir::homePath());
    process->setProcessEnvironment(OwnEnvironment::forChildren());
    process->setStandardInputFile(QProcess::nullDevice());
    // The output goes to a pipe of our own (see CommandOutputPipe), not to QProcess's.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);

    auto output = std::make_shared<OutputTail>();
    auto *pipe = new CommandOutputPipe([output](QByteArrayView bytes) { output->append(bytes); }, process);
    auto listed = std::make_shared<std::optional<quint64>>();
    const auto deliver = [process, pipe, output, listed, running = QPointer(launch.running),
                          completion = std::move(completion)](Result result) {
        pipe->drainAndClose();
        if (*listed && running)
            result.stopped = running->remove(**listed);
        if (result.ending != Ending::failedToStart)
            result.output = output->text();
        // Queued, so the completion never runs inside run() itself.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [completion, result] { completion(result); }, Qt::QueuedConnection);
        process->disconnect();
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process, [deliver](int exitCode, QProcess::ExitStatus status) {
        deliver(Result{{}, exitCode, status == QProcess::CrashExit ? Ending::killedBySignal : Ending::exited});
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, deliver](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            deliver(Result{process->errorString(), -1, Ending::failedToStart});
    });
    if (!pipe->isOpen()) {
        deliver(Result{QStringLiteral("No pipe for its output: %1").arg(qt_error_string(errno)), -1,
                       Ending::failedToStart});
        return;
    }

    // Runs in the child between fork and exec: only async-signal-safe calls.
    process->setChildProcessModifier([outputFd = pipe->writeEnd(), ownGroup = launch.listedName.has_value()] {
        if (ownGroup)
            setsid();
        dup2(outputFd, STDOUT_FILENO);
        dup2(outputFd, STDERR_FILENO);
        // dup2 onto itself would keep close-on-exec.
        fcntl(STDOUT_FILENO, F_SETFD, 0);
        fcntl(STDERR_FILENO, F_SETFD, 0);
    });
    process->start();
    pipe->closeWriteEnd();
    if (launch.listedName && process->state() != QProcess::NotRunning)
        *listed = launch.running->add(*launch.listedName, *process);
}

} // namespace lettergate
