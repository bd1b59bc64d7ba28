#include "stores/CommandRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStringDecoder>
#include <QThread>
#include <memory>

namespace {

// The end of the output, at most maximumOutputBytes of it (the buffer holds up to
// twice that between trims, so trimming stays rare).
class OutputTail {
public:
    void append(const QByteArray &bytes)
    {
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

void CommandRunner::run(const QString &commandLine, Completion completion)
{
    run(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), commandLine}, std::move(completion));
}

void CommandRunner::run(const QString &program, const QStringList &arguments, Completion completion)
{
    // The process and its signals belong to the GUI thread, whoever asks.
    QCoreApplication *application = QCoreApplication::instance();
    if (QThread::currentThread() != application->thread()) {
        QMetaObject::invokeMethod(
            application,
            [program, arguments, completion = std::move(completion)] { start(program, arguments, completion); },
            Qt::QueuedConnection);
        return;
    }
    start(program, arguments, std::move(completion));
}

void CommandRunner::start(const QString &program, const QStringList &arguments, Completion completion)
{
    // No parent: the process belongs to no window or service, and a command still
    // running when the program quits must not be killed with it.
    auto *process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setWorkingDirectory(QDir::homePath());
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);

    auto output = std::make_shared<OutputTail>();
    const auto deliver = [process, completion = std::move(completion)](const Result &result) {
        // Queued, so the completion never runs inside run() itself.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [completion, result] { completion(result); }, Qt::QueuedConnection);
        process->disconnect();
        process->deleteLater();
    };

    QObject::connect(process, &QProcess::readyReadStandardOutput, process,
                     [process, output] { output->append(process->readAllStandardOutput()); });
    QObject::connect(process, &QProcess::finished, process,
                     [process, output, deliver](int exitCode, QProcess::ExitStatus status) {
                         output->append(process->readAllStandardOutput());
                         deliver(Result{output->text(), exitCode,
                                        status == QProcess::CrashExit ? Ending::killedBySignal : Ending::exited});
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, deliver](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            deliver(Result{process->errorString(), -1, Ending::failedToStart});
    });
    process->start();
}
