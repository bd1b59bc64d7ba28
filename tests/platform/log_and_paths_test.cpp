#include "platform/Log.h"
#include "platform/Paths.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace lettergate;

using namespace Qt::StringLiterals;

class LogAndPathsTest : public QObject {
    Q_OBJECT
private slots:
    // Every message, Qt's own included, becomes the lines the log has always had: the
    // prefix on the first line only, warnings marked, nothing that steers a terminal.
    void messagesBecomeTheLogsLines()
    {
        LogCapture log;
        qCInfo(lcHotkeys).noquote() << u"hotkey registered:⌃⌥W"_s;
        qCWarning(lcStores).noquote() << u"could not write /tmp/a b.json: \"disk\" full "_s;
        qWarning("QWidget::setLayout: a layout is already set");
        qCInfo(lcWindows).noquote()
            << u"Enumerated 2 windows:\n  [0] Editor  #7  'a\tb'  10x20\n  [1] Term  #9  ''  5x5"_s;
        qCInfo(lcWindows).noquote() << u"title \x1b]0;owned\x07 and \r[Lettergate] forged"_s;
        QCOMPARE(log.lines, (QStringList{
                                u"[Lettergate] hotkey registered:⌃⌥W"_s,
                                u"[Lettergate] ⚠️ could not write /tmp/a b.json: \"disk\" full "_s,
                                u"[Lettergate] ⚠️ QWidget::setLayout: a layout is already set"_s,
                                u"[Lettergate] Enumerated 2 windows:"_s,
                                u"  [0] Editor  #7  'a\tb'  10x20"_s,
                                u"  [1] Term  #9  ''  5x5"_s,
                                u"[Lettergate] title \uFFFD]0;owned\uFFFD and \uFFFD[Lettergate] forged"_s,
                            }));
    }

    // Debug lines are off unless the rules turn them on, category by category.
    void rulesSwitchTheCategories()
    {
        const QList<const QLoggingCategory *> categories{&lcApp(),      &lcHotkeys(),  &lcClipboard(),
                                                         &lcStores(),   &lcSettings(), &lcWindows(),
                                                         &lcPlatform(), &lcX11(),      &lcWayland()};
        for (const QLoggingCategory *category : categories)
            QVERIFY2(!category->isDebugEnabled() && category->isInfoEnabled(), category->categoryName());
        QLoggingCategory::setFilterRules(u"lettergate.*.debug=true"_s);
        for (const QLoggingCategory *category : categories)
            QVERIFY2(category->isDebugEnabled(), category->categoryName());
        QLoggingCategory::setFilterRules({});
    }

    void stateFollowsTheXdgVariablesInPrivateDirectories()
    {
        TestEnvironment environment;
        QVERIFY(Paths::dataDirectory().startsWith(environment.dataHome() + u'/'));
        QVERIFY(Paths::settingsFile().startsWith(environment.configHome() + u'/'));

        // The XDG rules say a relative path is invalid and must be ignored.
        qputenv("XDG_DATA_HOME", "relative/dir");
        QVERIFY(Paths::dataDirectory().startsWith(QDir::homePath() + QStringLiteral("/.local/share")));
    }
};

QTEST_APPLESS_MAIN(LogAndPathsTest)
#include "log_and_paths_test.moc"
