#include "stores/CommandRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStringDecoder>
#include <QThread>
#include <memory>

namespace {

// The start of the output, at most maximumOutputBytes of it.
class OutputBuffer {
public:
    void append(const QByteArray &bytes)
    {
        const qsizetype room = CommandRunner::maximumOutputBytes - m_bytes.size();
        if (bytes.size() > room)
            m_truncated = true;
        m_bytes.append(bytes.left(room));
    }

    QString text() const
    {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(m_truncated ? withoutCutCharacter(m_bytes) : m_bytes);
        return decoder.hasError() ? QString() : text;
    }

private:
    // Drops a multi-byte character that the limit cut in two.
    static QByteArray withoutCutCharacter(const QByteArray &bytes)
    {
        qsizetype start = bytes.size();
        while (start > 0 && bytes.size() - start < 3 && (uchar(bytes[start - 1]) & 0xC0) == 0x80)
            --start;
        if (start == 0)
            return bytes;
        const uchar lead = uchar(bytes[start - 1]);
        const qsizetype length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        const qsizetype present = bytes.size() - start + 1;
        return present < length ? bytes.left(start - 1) : bytes;
    }

    QByteArray m_bytes;
    bool m_truncated = false;
};

} // namespace

void CommandRunner::run(const QString &commandLine, Completion completion)
{
    // The process and its signals belong to the GUI thread, whoever asks.
    QCoreApplication *application = QCoreApplication::instance();
    if (QThread::currentThread() != application->thread()) {
        QMetaObject::invokeMethod(
            application, [commandLine, completion = std::move(completion)] { start(commandLine, completion); },
            Qt::QueuedConnection);
        return;
    }
    start(commandLine, std::move(completion));
}

void CommandRunner::start(const QString &commandLine, Completion completion)
{
    // No parent: the process belongs to no window or service, and a command still
    // running when the program quits must not be killed with it.
    auto *process = new QProcess;
    process->setProgram(QStringLiteral("/bin/bash"));
    process->setArguments({QStringLiteral("-c"), commandLine});
    process->setWorkingDirectory(QDir::homePath());
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);

    auto output = std::make_shared<OutputBuffer>();
    const auto deliver = [process, completion = std::move(completion)](const Result &result) {
        // Queued, so the completion never runs inside run() itself.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [completion, result] { completion(result); }, Qt::QueuedConnection);
        process->disconnect();
        process->deleteLater();
    };

    QObject::connect(process, &QProcess::readyReadStandardOutput, process,
                     [process, output] { output->append(process->readAllStandardOutput()); });
    QObject::connect(process, &QProcess::finished, process, [process, output, deliver](int exitCode) {
        output->append(process->readAllStandardOutput());
        deliver(Result{output->text(), exitCode});
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, deliver](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            deliver(Result{process->errorString(), -1});
    });
    process->start();
}
