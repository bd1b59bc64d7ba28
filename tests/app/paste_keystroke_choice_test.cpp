#include "app/PasteKeystrokeChoice.h"

#include <QTest>

using namespace lettergate;

// Which keystroke a paste types into the application that was in front.
class PasteKeystrokeChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void theUsersChoiceElseShiftInsertForTerminalsElseControlV()
    {
        const QStringList terminal{QStringLiteral("System"), QStringLiteral("TerminalEmulator")};
        const QStringList editor{QStringLiteral("Utility"), QStringLiteral("TextEditor")};
        const struct {
            QString bundleID;
            QStringList categories;
            std::optional<PasteKeystroke> chosen;
            PasteKeystroke expected;
        } cases[] = {
            {"debian-xterm", terminal, std::nullopt, PasteKeystroke::shiftInsert},
            {"org.example.Editor", editor, std::nullopt, PasteKeystroke::controlV},
            {"ALACRITTY", {}, std::nullopt, PasteKeystroke::shiftInsert}, // a terminal's class in any case
            // An entry that says what the program is outweighs a class that looks like a terminal's.
            {"kitty", editor, std::nullopt, PasteKeystroke::controlV},
            {"debian-xterm", terminal, PasteKeystroke::controlShiftV, PasteKeystroke::controlShiftV},
        };
        for (const auto &test : cases)
            QCOMPARE(pasteKeystrokeFor(test.bundleID, test.chosen, test.categories), test.expected);
    }
};

QTEST_GUILESS_MAIN(PasteKeystrokeChoiceTest)
#include "paste_keystroke_choice_test.moc"
