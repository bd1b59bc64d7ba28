#include "app/SingleInstance.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void aSecondStartHandsItsRequestToTheRunningOne()
    {
        QCOMPARE(SingleInstance::socketPath(), m_runtime.path() + QStringLiteral("/lettergate.socket"));
        QVERIFY(!SingleInstance::sendToRunning(QStringLiteral("settings")));

        // A socket file left by an instance that died does not stop the next one.
        QFile stale(SingleInstance::socketPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();

        SingleInstance running;
        QVERIFY(running.listen());
        QSignalSpy requests(&running, &SingleInstance::requestReceived);
        QVERIFY(SingleInstance::sendToRunning(QStringLiteral("settings")));
        QVERIFY(SingleInstance::sendToRunning(QStringLiteral("toggle")));
        QTRY_COMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).at(0).toString(), QStringLiteral("settings"));
        QCOMPARE(requests.at(1).at(0).toString(), QStringLiteral("toggle"));
    }

    void anEndlessRequestIsCutOff()
    {
        SingleInstance running;
        QVERIFY(running.listen());
        QSignalSpy requests(&running, &SingleInstance::requestReceived);
        QLocalSocket flood;
        flood.connectToServer(SingleInstance::socketPath());
        QVERIFY(flood.waitForConnected(1000));
        flood.write(QByteArray(4096, 'x'));
        flood.flush();
        QTRY_COMPARE(flood.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(requests.size(), 0);
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
