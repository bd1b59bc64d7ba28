#include "settings/SettingsTestSupport.h"
#include "support/TestEnvironment.h"
#include "switcher/AppLetters.h"
#include "switcher/RunningApps.h"

#include <QMultiMap>
#include <QTest>

namespace {

const QSet<QString> listKeys{QStringLiteral("v"), QStringLiteral("b"), QStringLiteral("q"), QStringLiteral("m")};

WindowInfo window(quint32 id, qint32 pid, const QString &appName, std::optional<QString> bundleID = std::nullopt)
{
    return WindowInfo{id, pid, std::move(bundleID), appName, QString(), QRectF(0, 0, 800, 600)};
}

QList<quint32> ids(const AppEntry &app)
{
    QList<quint32> numbers;
    for (const WindowInfo &w : app.windows)
        numbers.append(w.id);
    return numbers;
}

QStringList shownLetters(const QList<AppEntry> &apps)
{
    QStringList letters;
    for (const AppEntry &app : apps)
        letters.append(app.letter.value_or(QStringLiteral("(none)")));
    return letters;
}

// What the next launch of the program would read.
SettingsStore::AppTextMap storedLetters()
{
    Launch next(freshCopyOfSettingsFile());
    return next.store.letters();
}

SettingsStore::AppTextMap storedNames()
{
    Launch next(freshCopyOfSettingsFile());
    return next.store.names();
}

} // namespace

class RunningAppsTest : public QObject {
    Q_OBJECT
private slots:
    void groupsByApplicationInFrontMostOrderAndSortsWindowsById()
    {
        TestEnvironment environment;
        Launch launch;
        const QString a = QStringLiteral("org.example.A");
        const QString term = QStringLiteral("XTerm");
        // Front-most first: A1, B1, a terminal of process 7, A2, the terminal of process 5,
        // another process without an identifier named Beta. A's windows have ids 900 and 120.
        const QList<AppEntry> apps = buildApps(
            {window(900, 1, QStringLiteral("Alpha"), a), window(50, 2, QStringLiteral("Beta")),
             window(70, 7, QStringLiteral("XTerm"), term), window(120, 1, QStringLiteral("Alpha"), a),
             window(60, 5, QStringLiteral("XTerm"), term), window(40, 3, QStringLiteral("Beta"))},
            listKeys, launch.store);

        // One app per identity, whichever processes show it; without one, per process.
        QCOMPARE(apps.size(), 4);
        QCOMPARE(ids(apps.at(0)), (QList<quint32>{120, 900}));
        QCOMPARE(apps.at(1).pid, 2);
        QCOMPARE(ids(apps.at(1)), QList<quint32>{50});
        // The terminal's process is the one of its front-most window.
        QCOMPARE(apps.at(2).pid, 7);
        QCOMPARE(apps.at(2).bundleID, std::optional<QString>(term));
        QCOMPARE(ids(apps.at(2)), (QList<quint32>{60, 70}));
        QCOMPARE(apps.at(3).pid, 3);
        QCOMPARE(shownLetters(apps), (QStringList{QStringLiteral("a"), QStringLiteral("e"), QStringLiteral("x"),
                                                  QStringLiteral("c")}));
    }

    void lettersStayWithTheirAppsWhateverTheStackingAndTheNumberOfInstances()
    {
        TestEnvironment environment;
        Launch launch;
        // Stored as a desktop would have them after a while; Qalculate holds a, which a
        // replacement given for one showing must never take.
        launch.store.setLetters({{QStringLiteral("XTerm"), QStringLiteral("x")},
                                 {QStringLiteral("featherpad"), QStringLiteral("f")},
                                 {QStringLiteral("qalculate-gtk"), QStringLiteral("a")},
                                 // An app with no card (minimised), reached by its letter.
                                 {QStringLiteral("org.example.Minimised"), QStringLiteral("C")}});
        launch.store.saveLetters();
        QList<WindowInfo> windows;
        for (int terminal = 0; terminal < 11; ++terminal)
            windows.append(window(100 + terminal, 100 + terminal, QStringLiteral("XTerm"), QStringLiteral("XTerm")));
        windows << window(20, 20, QStringLiteral("FeatherPad"), QStringLiteral("featherpad"))
                << window(30, 30, QStringLiteral("Qalculate!"), QStringLiteral("qalculate-gtk"))
                << window(50, 50, QStringLiteral("Agent")) << window(60, 60, QStringLiteral("Agent"));

        const auto lettersByName = [&launch](const QList<WindowInfo> &stacking) {
            QMultiMap<QString, QString> byName;
            for (const AppEntry &app : buildApps(stacking, listKeys, launch.store))
                byName.insert(app.appName, app.letter.value_or(QString()));
            return byName;
        };
        const QMultiMap<QString, QString> expected{
            {QStringLiteral("XTerm"), QStringLiteral("x")},      {QStringLiteral("FeatherPad"), QStringLiteral("f")},
            {QStringLiteral("Qalculate!"), QStringLiteral("a")},
            // Two processes without an identifier both pick g from their name: the one
            // listed first keeps it, the other is given a letter no app holds.
            {QStringLiteral("Agent"), QStringLiteral("g")}, {QStringLiteral("Agent"), QStringLiteral("d")}};
        // Every window in front in turn.
        for (int front = 0; front < windows.size(); ++front) {
            QList<WindowInfo> stacking = windows;
            stacking.move(front, 0);
            QCOMPARE(lettersByName(stacking), expected);
        }
    }

    void aNewAppGetsALetterFromItsNameStoredAtOnceUnlessItHasNoIdentifier()
    {
        TestEnvironment environment;
        Launch launch;
        const int ticks = launch.tick();
        const QString notes = QStringLiteral("com.example.Notes");
        const QList<WindowInfo> windows{window(1, 10, QStringLiteral("Notes"), notes), window(2, 2, QStringLiteral("Agent")),
                                        window(3, 3, QStringLiteral("Agent"))};

        // Processes without an identifier are given letters for this showing only.
        QCOMPARE(shownLetters(buildApps(windows, listKeys, launch.store)),
                 (QStringList{QStringLiteral("n"), QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(launch.tick(), ticks + 1);
        QCOMPARE(storedLetters(), (SettingsStore::AppTextMap{{notes, QStringLiteral("n")}}));
        QCOMPARE(storedNames(), (SettingsStore::AppTextMap{{notes, QStringLiteral("Notes")}}));

        // The next showing finds it stored and saves nothing.
        QCOMPARE(shownLetters(buildApps(windows, listKeys, launch.store)),
                 (QStringList{QStringLiteral("n"), QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(launch.tick(), ticks + 1);
    }

    void storedLettersAreShownUnlessTakenInThisShowingAndNewNamesSaved()
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

        const QList<AppEntry> apps = buildApps({window(1, 1, QStringLiteral("Cleared"), QStringLiteral("app.cleared")),
                                                window(2, 2, QStringLiteral("Viewer"), QStringLiteral("app.clipboardish")),
                                                window(3, 3, QStringLiteral("Safari"), QStringLiteral("app.first")),
                                                window(4, 4, QStringLiteral("Slack"), QStringLiteral("app.second")),
                                                window(5, 5, QStringLiteral("Post"), mail)},
                                               listKeys, launch.store);
        // No letter; v is a list key, so the first free letter; s to the first app listed;
        // a renamed app keeps its letter.
        QCOMPARE(shownLetters(apps), (QStringList{QStringLiteral("(none)"), QStringLiteral("a"), QStringLiteral("s"),
                                                  QStringLiteral("c"), QStringLiteral("l")}));
        // One save, for the new name only: the letters given for this showing are not stored.
        QCOMPARE(launch.tick(), ticks + 1);
        QCOMPARE(storedNames().value(mail), QStringLiteral("Post"));
        QCOMPARE(launch.store.letters().value(QStringLiteral("app.clipboardish")), QStringLiteral("v"));
        const SettingsStore::AppTextMap letters = storedLetters();
        QCOMPARE(letters.value(mail), QStringLiteral("l"));
        QCOMPARE(letters.value(QStringLiteral("app.second")), QStringLiteral("s"));
    }

    void exhaustedLettersShowAQuestionMarkThatIsNeverStored()
    {
        TestEnvironment environment;
        Launch launch;
        // 22 apps hold every letter the four list keys leave.
        SettingsStore::AppTextMap letters;
        for (char16_t c = u'a'; c <= u'z'; ++c) {
            if (!listKeys.contains(QString(QChar(c))))
                letters.insert(QStringLiteral("app.") + QChar(c), QString(QChar(c)));
        }
        QCOMPARE(letters.size(), 22);
        launch.store.setLetters(letters);
        launch.store.saveLetters();

        // With all 22 apps on the panel, every letter is reserved in this showing too.
        QList<WindowInfo> windows;
        for (auto entry = letters.cbegin(); entry != letters.cend(); ++entry)
            windows.append(window(100 + windows.size(), 100 + windows.size(), entry.value(), entry.key()));
        windows << window(1, 1, QStringLiteral("Zed"), QStringLiteral("app.zed"))
                << window(2, 2, QStringLiteral("Yak"), QStringLiteral("app.yak"));
        const QList<AppEntry> apps = buildApps(windows, listKeys, launch.store);
        QCOMPARE(shownLetters(apps).mid(22), (QStringList{QStringLiteral("?"), QStringLiteral("?")}));
        QVERIFY(!storedLetters().contains(QStringLiteral("app.zed")));
        QCOMPARE(storedNames().value(QStringLiteral("app.zed")), QStringLiteral("Zed"));

        // When the apps holding the letters are not on the panel, a second "?" is given a
        // letter that is free in this showing, for this showing only.
        const QList<AppEntry> fewer = buildApps(windows.mid(22), listKeys, launch.store);
        QCOMPARE(shownLetters(fewer), (QStringList{QStringLiteral("?"), QStringLiteral("a")}));
        QVERIFY(!storedLetters().contains(QStringLiteral("app.yak")));

        // Once the user frees a letter, the app gets it and keeps it.
        QCOMPARE(launch.store.applyLetters({{QStringLiteral("app.z"), QString()}}), KeyValidation::ok());
        const QList<AppEntry> later =
            buildApps({window(1, 1, QStringLiteral("Zed"), QStringLiteral("app.zed"))}, listKeys, launch.store);
        QCOMPARE(shownLetters(later), QStringList{QStringLiteral("z")});
        QCOMPARE(storedLetters().value(QStringLiteral("app.zed")), QStringLiteral("z"));
    }

    void pickLetterPrefersTheNamesOwnAsciiLettersOverStoredOnes()
    {
        TestEnvironment environment;
        Launch launch;
        AppLetters letters(launch.store);
        QCOMPARE(letters.pickLetter(QStringLiteral("Safari")), QStringLiteral("s"));
        QCOMPARE(letters.letterFor(QStringLiteral("com.example.Safari"), QStringLiteral("Safari")),
                 std::optional<QString>(QStringLiteral("s")));
        QCOMPARE(letters.pickLetter(QStringLiteral("Slack")), QStringLiteral("l"));
        QCOMPARE(letters.pickLetter(QStringLiteral("Vim")), QStringLiteral("i")); // v is a list key
        QCOMPARE(letters.pickLetter(QStringLiteral("Écran")), QStringLiteral("c"));
        QCOMPARE(letters.pickLetter(QStringLiteral("e\u0301cran")), QStringLiteral("c")); // é as e + accent
        QCOMPARE(letters.pickLetter(QStringLiteral("3D 42")), QStringLiteral("d"));
        QCOMPARE(letters.pickLetter(QStringLiteral("123")), QStringLiteral("a"));
        QCOMPARE(letters.pickLetter(QString()), QStringLiteral("a"));
        QCOMPARE(letters.pickLetter(QStringLiteral("Ss")), QStringLiteral("a")); // its only letter is taken

        // Only the first character of a stored letter counts, as it is stored.
        launch.store.setLetters({{QStringLiteral("one"), QStringLiteral("Q")},
                                 {QStringLiteral("two"), QString()},
                                 {QStringLiteral("three"), QStringLiteral("xy")}});
        QCOMPARE(letters.usedLetters(), (QSet<QString>{QStringLiteral("Q"), QStringLiteral("x")}));
    }

    void assignLettersGivesEachWindowedAppOneStoredLetter()
    {
        TestEnvironment environment;
        Launch launch;
        const QString known = QStringLiteral("org.example.Known");
        launch.store.setLetters({{known, QStringLiteral("k")}});
        launch.store.setNames({{known, QStringLiteral("Known")}});
        launch.store.saveLetters();
        const int ticks = launch.tick();

        AppLetters(launch.store)
            .assignLetters({window(1, 1, QStringLiteral("Files"), QStringLiteral("org.example.Files")),
                            window(2, 1, QStringLiteral("Files"), QStringLiteral("org.example.Files")),
                            window(3, 2, QStringLiteral("Known"), known),
                            window(4, 3, QStringLiteral("Agent")),
                            window(5, 4, QStringLiteral("Fonts"), QStringLiteral("org.example.Fonts"))});
        QCOMPARE(launch.tick(), ticks + 2); // one save per app that got a letter
        QCOMPARE(storedLetters(), (SettingsStore::AppTextMap{{QStringLiteral("org.example.Files"), QStringLiteral("f")},
                                                            {QStringLiteral("org.example.Fonts"), QStringLiteral("o")},
                                                            {known, QStringLiteral("k")}}));
    }
};

QTEST_GUILESS_MAIN(RunningAppsTest)
#include "running_apps_test.moc"
