#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// `cmake --install` of the build under test into prefix.
Run install(const QString &prefix, const QStringList &options = {})
{
    return run(qEnvironmentVariable("CMAKE_COMMAND"),
               QStringList{QStringLiteral("--install"), qEnvironmentVariable("LETTERGATE_BUILD_DIR"),
                           QStringLiteral("--prefix"), prefix}
                   + options);
}

// Key=value lines of the [Desktop Entry] group.
QHash<QString, QString> desktopEntry(const QString &path)
{
    QFile file(path);
    QHash<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            keys.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return keys;
}

// The first word of each entry in the section of `lettergate --help` that begins with
// `heading`: the lines indented by two spaces, up to the section's blank line.
QStringList helpEntries(const QByteArray &help, const QString &heading)
{
    const QString text = QString::fromUtf8(help);
    const qsizetype start = text.indexOf(QLatin1Char('\n') + heading);
    if (start < 0)
        return {};
    const QString section = text.mid(start, text.indexOf(QStringLiteral("\n\n"), start + 1) - start);
    static const QRegularExpression entry(QStringLiteral("^  (\\S+)"), QRegularExpression::MultilineOption);
    QStringList entries;
    for (QRegularExpressionMatchIterator match = entry.globalMatch(section); match.hasNext();)
        entries << match.next().captured(1);
    return entries;
}

// A program the installed files are checked with; scripts/install-deps installs each.
QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

} // namespace

// The build installed into a temporary prefix as `cmake --install` installs it, and
// the program run from there as a user would.
class InstallTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        const Run installed = install(m_prefix.path());
        QVERIFY2(installed.exitCode == 0, installed.err.constData());
    }

    void theInstalledProgramAnswersWithoutADisplay()
    {
        const QString program = m_prefix.filePath(QStringLiteral("bin/lettergate"));
        QVERIFY(QFileInfo(program).isExecutable());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_prefix.path()); // nothing listens here

        const Run version = run(program, {QStringLiteral("--version")}, environment);
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, "Lettergate " + qgetenv("LETTERGATE_VERSION") + '\n');

        const Run help = run(program, {QStringLiteral("--help")}, environment);
        QCOMPARE(help.exitCode, 0);
        for (const char *verb : {"toggle", "show", "settings", "windows", "quit"})
            QVERIFY2(help.out.contains(QByteArray("\n  ") + verb + ' '), verb);
        const QStringList statuses = helpEntries(help.out, QStringLiteral("Exit status:"));

        // A verb with nobody to ask: a clear message, and a status a script can test.
        const Run toggle = run(program, {QStringLiteral("toggle")}, environment);
        QCOMPARE(toggle.exitCode, 1);
        QVERIFY2(toggle.err.contains("Lettergate is not running"), toggle.err.constData());
        QVERIFY(toggle.out.isEmpty());
        const Run unknown = run(program, {QStringLiteral("frobnicate")}, environment);
        QCOMPARE(unknown.exitCode, 64);
        QVERIFY2(unknown.err.contains("unknown verb \"frobnicate\""), unknown.err.constData());

        // Starting it needs a display.
        const Run start = run(program, {}, environment);
        QCOMPARE(start.exitCode, 2);
        QVERIFY2(start.err.contains("no usable display"), start.err.constData());

        // Each status seen is one --help explains.
        for (const int status : {toggle.exitCode, unknown.exitCode, start.exitCode})
            QVERIFY2(statuses.contains(QString::number(status)), qPrintable(statuses.join(u' ')));
    }

    // The manual page renders without a complaint from troff, and lists every verb and
    // exit status that --help lists.
    void theManPageRendersAndListsWhatHelpLists()
    {
        const QString man = tool("man");
        QVERIFY2(!man.isEmpty(), "man is not installed (scripts/install-deps installs man-db)");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        const Run page = run(man,
                             {QStringLiteral("--warnings"), QStringLiteral("-l"),
                              m_prefix.filePath(QStringLiteral("share/man/man1/lettergate.1.gz"))},
                             environment);
        QCOMPARE(page.exitCode, 0);
        QVERIFY2(page.err.isEmpty(), page.err.constData());
        const QString text = QString::fromUtf8(page.out);
        QVERIFY(text.startsWith(QStringLiteral("lettergate(1)")));

        const QByteArray help = installedHelp();
        const QStringList verbs = helpEntries(help, QStringLiteral("Verbs"));
        const QStringList statuses = helpEntries(help, QStringLiteral("Exit status:"));
        QVERIFY(!verbs.isEmpty() && !statuses.isEmpty());
        // The page's entries are terms on lines of their own, under their section.
        for (const QString &term : verbs + statuses) {
            const QRegularExpression entry(QStringLiteral("^ +%1( |$)").arg(term), QRegularExpression::MultilineOption);
            QVERIFY2(entry.match(text).hasMatch(), qPrintable(term));
        }
    }

    // Software centres read the AppStream metadata, which names the installed desktop
    // entry; each shell finds the completion of every verb --help lists.
    void desktopsAndShellsFindTheirFiles()
    {
        const QString appstream = tool("appstreamcli");
        QVERIFY2(!appstream.isEmpty(), "appstreamcli is not installed (scripts/install-deps installs appstream)");
        const QString appId = qEnvironmentVariable("LETTERGATE_APP_ID");
        const QString metainfo = m_prefix.filePath(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(appId));
        const Run validation = run(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
        QVERIFY2(validation.exitCode == 0, validation.out.constData());
        QFile metainfoFile(metainfo);
        QVERIFY(metainfoFile.open(QIODevice::ReadOnly));
        const QRegularExpressionMatch launchable =
            QRegularExpression(QStringLiteral("<launchable type=\"desktop-id\">([^<]+)</launchable>"))
                .match(QString::fromUtf8(metainfoFile.readAll()));
        QVERIFY(QFile::exists(m_prefix.filePath(QStringLiteral("share/applications/") + launchable.captured(1))));

        const QStringList verbs = helpEntries(installedHelp(), QStringLiteral("Verbs"));
        QVERIFY(!verbs.isEmpty());

        // bash: what the completion offers after "lettergate ", through the function
        // `complete -p` names.
        const Run bash = run(QStringLiteral("bash"),
                             {QStringLiteral("-c"), QStringLiteral(R"(source "$1" && complete -p lettergate &&
                                 spec=$(complete -p lettergate) && function=${spec#*-F } &&
                                 COMP_WORDS=(lettergate "") && COMP_CWORD=1 && "${function%% *}" &&
                                 printf '%s\n' "${COMPREPLY[@]}")"),
                              QStringLiteral("bash"),
                              m_prefix.filePath(QStringLiteral("share/bash-completion/completions/lettergate"))});
        QVERIFY2(bash.exitCode == 0, bash.err.constData());
        QStringList lines = QString::fromUtf8(bash.out).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty() && lines.takeFirst().startsWith(QStringLiteral("complete -F ")));
        QStringList words = verbs + QStringList{QStringLiteral("--help"), QStringLiteral("--version")};
        lines.sort();
        words.sort();
        QCOMPARE(lines, words);

        // zsh and fish: each verb in the completion files where the shells look for them.
        QFile zsh(m_prefix.filePath(QStringLiteral("share/zsh/site-functions/_lettergate")));
        QFile fish(m_prefix.filePath(QStringLiteral("share/fish/vendor_completions.d/lettergate.fish")));
        QVERIFY(zsh.open(QIODevice::ReadOnly) && fish.open(QIODevice::ReadOnly));
        const QByteArray zshText = zsh.readAll();
        const QByteArray fishText = fish.readAll();
        for (const QString &verb : verbs) {
            QVERIFY2(zshText.contains("'" + verb.toUtf8() + ':'), qPrintable(verb));
            QVERIFY2(fishText.contains("-a " + verb.toUtf8() + ' '), qPrintable(verb));
        }
    }

    void theDesktopEntryIsValidAndNamesTheProgramAndItsIcon()
    {
        const QString appId = qEnvironmentVariable("LETTERGATE_APP_ID");
        const QString entryPath = m_prefix.filePath(QStringLiteral("share/applications/%1.desktop").arg(appId));
        const QHash<QString, QString> entry = desktopEntry(entryPath);
        QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Lettergate"));
        // The command is the installed binary's name, found on PATH.
        QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("lettergate"));
        QCOMPARE(entry.value(QStringLiteral("Icon")), appId);

        QSvgRenderer icon(m_prefix.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(appId)));
        QVERIFY(icon.isValid());
        QCOMPARE(icon.viewBoxF().width(), icon.viewBoxF().height());

        // The system-wide autostart entry is only there when asked for.
        QVERIFY(!QDir(m_prefix.filePath(QStringLiteral("etc"))).exists());
        QTemporaryDir withAutostart;
        const Run installed = install(withAutostart.path(),
                                      {QStringLiteral("--component"), QStringLiteral("autostart")});
        QVERIFY2(installed.exitCode == 0, installed.err.constData());
        QCOMPARE(desktopEntry(withAutostart.filePath(QStringLiteral("etc/xdg/autostart/%1.desktop").arg(appId))),
                 entry);

        // Type, categories and the rest are the validator's to judge; its hints do not
        // fail validation, but we want none.
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (scripts/install-deps installs it)");
        const Run validation = run(validator, {entryPath});
        QCOMPARE(validation.exitCode, 0);
        QVERIFY2(validation.out.isEmpty(), validation.out.constData());
    }

private:
    QByteArray installedHelp() const
    {
        return run(m_prefix.filePath(QStringLiteral("bin/lettergate")), {QStringLiteral("--help")}).out;
    }

    QTemporaryDir m_prefix;
};

QTEST_MAIN(InstallTest)
#include "install_test.moc"
