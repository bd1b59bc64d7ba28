#include "settings/SettingsTestSupport.h"
#include "support/TestEnvironment.h"
#include "switcher/AppLetters.h"
#include "switcher/RunningApps.h"

#include <QMultiMap>
#include <QTest>

using namespace lettergate;

namespace {

const QSet<QString> listKeys{QStringLiteral("v"), QStringLiteral("b"), QStringLiteral("q"), QStringLiteral("m")};

WindowInfo window(quint32 id, qint32 pid, const QString &appName, std::optional<QString> bundleID = std::nullopt)
{
    return WindowInfo{id, pid, std::move(bundleID), appName, QString(), QRectF(0, 0, 800, 600)};
}

// Each app's letter ("-" for none), with its process and window ids: "a 1 120 900".
QStringList shown(const QList<AppEntry> &apps)
{
    QStringList lines;
    for (const AppEntry &app : apps) {
        QString line = app.letter.value_or(QStringLiteral("-")) + QStringLiteral(" %1").arg(app.pid);
        for (const WindowInfo &w : app.windows)
            line += QStringLiteral(" %1").arg(w.id);
        lines.append(line);
    }
    return lines;
}

// What the next launch of the program would read.
std::unique_ptr<Launch> nextLaunch()
{
    return std::make_unique<Launch>(freshCopyOfSettingsFile());
}

} // namespace

class RunningAppsTest : public QObject {
    Q_OBJECT
private slots:
    void groupsByApplicationSortsWindowsByIdAndKeepsEachAppsLetter()
    {
        TestEnvironment environment;
        Launch launch;
        const QString a = QStringLiteral("org.example.A"), term = QStringLiteral("XTerm");
        // One app per identity, whichever processes show it (the terminal's process is
        // the one of its front-most window); without one, per process.
        const QList<AppEntry> apps = buildApps(
            {window(900, 1, QStringLiteral("Alpha"), a), window(50, 2, QStringLiteral("Beta")),
             window(70, 7, QStringLiteral("XTerm"), term), window(120, 1, QStringLiteral("Alpha"), a),
             window(60, 5, QStringLiteral("XTerm"), term), window(40, 3, QStringLiteral("Beta"))},
            listKeys, launch.store);
        QCOMPARE(shown(apps), QStringLiteral("a 1 120 900|e 2 50|x 7 60 70|c 3 40").split(u'|'));

        // Letters stay with their apps whatever the stacking and the number of instances.
        // Qalculate holds a, which a replacement given for one showing must never take;
        // an app with no card (minimised) holds C.
        launch.store.setLetters({{QStringLiteral("XTerm"), QStringLiteral("x")},
                                 {QStringLiteral("featherpad"), QStringLiteral("f")},
                                 {QStringLiteral("qalculate-gtk"), QStringLiteral("a")},
                                 {QStringLiteral("org.example.Minimised"), QStringLiteral("C")}});
        QList<WindowInfo> windows;
        for (int terminal = 0; terminal < 11; ++terminal)
            windows.append(window(100 + terminal, 100 + terminal, QStringLiteral("XTerm"), QStringLiteral("XTerm")));
        windows << window(20, 20, QStringLiteral("FeatherPad"), QStringLiteral("featherpad"))
                << window(30, 30, QStringLiteral("Qalculate!"), QStringLiteral("qalculate-gtk"))
                << window(50, 50, QStringLiteral("Agent")) << window(60, 60, QStringLiteral("Agent"));
        // Two processes without an identifier both pick g from their name: the one listed
        // first keeps it, the other is given a letter no app holds. Every window in front in turn.
        for (int front = 0; front < windows.size(); ++front) {
            QList<WindowInfo> stacking = windows;
            stacking.move(front, 0);
            QMultiMap<QString, QString> byName;
            for (const AppEntry &app : buildApps(stacking, listKeys, launch.store))
                byName.insert(app.appName, app.letter.value_or(QString()));
            QCOMPARE(QStringList(byName.values()).join(u' '), QStringLiteral("d g f a x"));
        }
    }

    void lettersFromNamesAreStoredOnceUnlessTheAppHasNoIdentifier()
    {
        TestEnvironment environment;
        Launch launch;
        const QString mail = QStringLiteral("org.example.Mail");
        launch.store.setLetters({{QStringLiteral("app.cleared"), QString()},
                                 {QStringLiteral("app.clipboardish"), QStringLiteral("v")},
                                 {QStringLiteral("app.first"), QStringLiteral("s")},
                                 {QStringLiteral("app.second"), QStringLiteral("s")},
                                 {mail, QStringLiteral("l")}});
        launch.store.setNames({{QStringLiteral("app.cleared"), QStringLiteral("Cleared")},
                               {QStringLiteral("app.clipboardish"), QStringLiteral("Viewer")},
                               {QStringLiteral("app.first"), QStringLiteral("Safari")},
                               {QStringLiteral("app.second"), QStringLiteral("Slack")},
                               {mail, QStringLiteral("Mail")}});
        launch.store.saveLetters();
        const int ticks = launch.tick();
        const QList<WindowInfo> windows{window(1, 1, QStringLiteral("Cleared"), QStringLiteral("app.cleared")),
                                        window(2, 2, QStringLiteral("Viewer"), QStringLiteral("app.clipboardish")),
                                        window(3, 3, QStringLiteral("Safari"), QStringLiteral("app.first")),
                                        window(4, 4, QStringLiteral("Slack"), QStringLiteral("app.second")),
                                        window(5, 5, QStringLiteral("Post"), mail),
                                        window(6, 6, QStringLiteral("Notes"), QStringLiteral("com.example.Notes")),
                                        window(7, 7, QStringLiteral("Duck"))};
        // A cleared letter stays cleared; v is a list key, so the first free letter; s to the
        // first app listed; a renamed app keeps its letter; a new app's comes from its name;
        // a process without an identifier is given one for this showing only.
        QCOMPARE(shown(buildApps(windows, listKeys, launch.store)),
                 QStringLiteral("- 1 1|a 2 2|s 3 3|c 4 4|l 5 5|n 6 6|d 7 7").split(u'|'));
        // One save for the new app, one for the new name; the letters given for this showing are not stored.
        QCOMPARE(launch.tick(), ticks + 2);
        const auto stored = nextLaunch();
        QCOMPARE(stored->store.names().value(mail), QStringLiteral("Post"));
        QCOMPARE(stored->store.letters().value(QStringLiteral("com.example.Notes")), QStringLiteral("n"));
        QCOMPARE(stored->store.letters().value(QStringLiteral("app.second")), QStringLiteral("s"));
        QCOMPARE(launch.store.letters().value(QStringLiteral("app.clipboardish")), QStringLiteral("v"));
        // The next showing finds it all stored and saves nothing.
        buildApps(windows, listKeys, launch.store);
        QCOMPARE(launch.tick(), ticks + 2);
    }

    void exhaustedLettersShowAQuestionMarkThatIsNeverStored()
    {
        TestEnvironment environment;
        Launch launch;
        // 22 apps hold every letter the four list keys leave, all on the panel.
        SettingsStore::AppTextMap letters;
        QList<WindowInfo> windows;
        for (char16_t c = u'a'; c <= u'z'; ++c) {
            if (!listKeys.contains(QString(QChar(c)))) {
                letters.insert(QStringLiteral("app.") + QChar(c), QString(QChar(c)));
                windows.append(window(100 + c, 100 + c, QString(QChar(c)), QStringLiteral("app.") + QChar(c)));
            }
        }
        launch.store.setLetters(letters);
        windows << window(1, 1, QStringLiteral("Zed"), QStringLiteral("app.zed"))
                << window(2, 2, QStringLiteral("Yak"), QStringLiteral("app.yak"));
        QCOMPARE(shown(buildApps(windows, listKeys, launch.store)).mid(22), QStringList({"? 1 1", "? 2 2"}));
        // Without the apps holding the letters on the panel, a second "?" is given a letter
        // free in this showing, for this showing only.
        QCOMPARE(shown(buildApps(windows.mid(22), listKeys, launch.store)), QStringList({"? 1 1", "a 2 2"}));
        QVERIFY(!nextLaunch()->store.letters().contains(QStringLiteral("app.zed")));
        QVERIFY(!nextLaunch()->store.letters().contains(QStringLiteral("app.yak")));
        // Once the user frees a letter, the app gets it and keeps it.
        QCOMPARE(launch.store.applyLetters({{QStringLiteral("app.z"), QString()}}), KeyValidation::ok());
        QCOMPARE(shown(buildApps(windows.mid(22, 1), listKeys, launch.store)), QStringList{"z 1 1"});
        QCOMPARE(nextLaunch()->store.letters().value(QStringLiteral("app.zed")), QStringLiteral("z"));
    }

    // At start-up every identifier gets one stored letter, however many windows show it (a
    // known app keeping its letter is the case above); a letter comes from the name's own
    // ASCII letters where one is free.
    void appLettersAreStoredOncePerAppAndPreferTheNamesOwnLetters()
    {
        TestEnvironment environment;
        Launch launch;
        AppLetters letters(launch.store);
        const QString files = QStringLiteral("org.example.Files"), fonts = QStringLiteral("org.example.Fonts");
        const int ticks = launch.tick();
        letters.assignLetters({window(1, 1, QStringLiteral("Files"), files),
                               window(2, 1, QStringLiteral("Files"), files), window(4, 3, QStringLiteral("Agent")),
                               window(5, 4, QStringLiteral("Fonts"), fonts)});
        QCOMPARE(launch.tick(), ticks + 2); // one save per app that got a letter
        QCOMPARE(nextLaunch()->store.letters(),
                 (SettingsStore::AppTextMap{{files, QStringLiteral("f")}, {fonts, QStringLiteral("o")}}));

        QCOMPARE(letters.letterFor(QStringLiteral("com.example.Safari"), QStringLiteral("Safari")),
                 QStringLiteral("s"));
        const QStringList names{"Slack", "Vim", "Écran", "e\u0301cran", "3D 42", "123", "", "Ss"};
        QStringList picked;
        for (const QString &name : names)
            picked << letters.pickLetter(name);
        // v is a list key; é as e + accent; s is now taken.
        QCOMPARE(picked.join(QString()), QStringLiteral("liccdaaa"));
        // Only the first character of a stored letter counts, as it is stored.
        launch.store.setLetters({{QStringLiteral("one"), QStringLiteral("Q")},
                                 {QStringLiteral("two"), QString()},
                                 {QStringLiteral("three"), QStringLiteral("xy")}});
        QCOMPARE(letters.usedLetters(), (QSet<QString>{QStringLiteral("Q"), QStringLiteral("x")}));
    }
};

QTEST_GUILESS_MAIN(RunningAppsTest)
#include "running_apps_test.moc"
