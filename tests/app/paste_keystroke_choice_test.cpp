#include "app/PasteKeystrokeChoice.h"

#include <QTest>

Q_DECLARE_METATYPE(PasteKeystroke)
Q_DECLARE_METATYPE(std::optional<PasteKeystroke>)

// Which keystroke a paste types into the application that was in front.
class PasteKeystrokeChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void theUsersChoiceElseShiftInsertForTerminalsElseControlV_data()
    {
        QTest::addColumn<QString>("bundleID");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<std::optional<PasteKeystroke>>("chosen");
        QTest::addColumn<PasteKeystroke>("expected");
        const QStringList terminal{QStringLiteral("System"), QStringLiteral("TerminalEmulator")};
        const QStringList editor{QStringLiteral("Utility"), QStringLiteral("TextEditor")};
        const std::optional<PasteKeystroke> automatic;

        QTest::newRow("terminal by its entry") << "debian-xterm" << terminal << automatic << PasteKeystroke::shiftInsert;
        QTest::newRow("editor by its entry") << "org.example.Editor" << editor << automatic << PasteKeystroke::controlV;
        QTest::newRow("terminal by its window class") << "URxvt" << QStringList() << automatic
                                                      << PasteKeystroke::shiftInsert;
        QTest::newRow("window class in any case") << "ALACRITTY" << QStringList() << automatic
                                                  << PasteKeystroke::shiftInsert;
        // An entry that says what the program is outweighs a class that looks like a terminal's.
        QTest::newRow("entry says it is not a terminal") << "kitty" << editor << automatic << PasteKeystroke::controlV;
        QTest::newRow("unknown class") << "Mousepad" << QStringList() << automatic << PasteKeystroke::controlV;
        QTest::newRow("the user's choice for a terminal")
            << "debian-xterm" << terminal << std::optional(PasteKeystroke::controlShiftV) << PasteKeystroke::controlShiftV;
        QTest::newRow("the user's choice for an editor")
            << "org.example.Editor" << editor << std::optional(PasteKeystroke::shiftInsert) << PasteKeystroke::shiftInsert;
    }

    void theUsersChoiceElseShiftInsertForTerminalsElseControlV()
    {
        QFETCH(QString, bundleID);
        QFETCH(QStringList, categories);
        QFETCH(std::optional<PasteKeystroke>, chosen);
        QFETCH(PasteKeystroke, expected);
        QCOMPARE(pasteKeystrokeFor(bundleID, chosen, categories), expected);
    }
};

QTEST_GUILESS_MAIN(PasteKeystrokeChoiceTest)
#include "paste_keystroke_choice_test.moc"
