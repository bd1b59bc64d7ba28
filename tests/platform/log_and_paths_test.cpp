#include "platform/Log.h"
#include "platform/Paths.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

class LogAndPathsTest : public QObject {
    Q_OBJECT
private slots:
    void linesCarryThePrefixAndWarningsTheSign()
    {
        LogCapture log;
        Log::info(QStringLiteral("hotkey registered:⌃⌥W"));
        Log::warning(QStringLiteral("chord registration failed"));
        QCOMPARE(log.lines, QStringList({QStringLiteral("[Lettergate] hotkey registered:⌃⌥W"),
                                         QStringLiteral("[Lettergate] ⚠️ chord registration failed")}));
    }

    void stateFollowsTheXdgVariablesInPrivateDirectories()
    {
        TestEnvironment environment;
        QCOMPARE(Paths::dataDirectory(), environment.dataHome() + QStringLiteral("/Lettergate"));
        QCOMPARE(Paths::settingsFile(), environment.configHome() + QStringLiteral("/Lettergate/Lettergate.ini"));

        QVERIFY(Paths::ensurePrivateDirectory(Paths::dataDirectory()));
        const QFileInfo info(Paths::dataDirectory());
        QVERIFY(info.isDir());
        QCOMPARE(info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::ExeOther),
                 QFileDevice::Permissions());

        // The XDG rules say a relative path is invalid and must be ignored.
        qputenv("XDG_DATA_HOME", "relative/dir");
        QVERIFY(Paths::dataDirectory().startsWith(QDir::homePath() + QStringLiteral("/.local/share")));
    }
};

QTEST_APPLESS_MAIN(LogAndPathsTest)
#include "log_and_paths_test.moc"
