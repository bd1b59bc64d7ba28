#include "app/PanelPlacement.h"
#include "app/PasteKeystrokeChoice.h"

#include <QTest>

using namespace lettergate;

using PanelPlacement::Screen;

// Two choices the app makes for the user: the screen the panel opens on, and the
// keystroke a paste types into the application that was in front.
class ChoicesTest : public QObject {
    Q_OBJECT
private slots:
    void theActiveWindowsScreenThenThePointersThenThePrimary()
    {
        // The primary screen, and a smaller one to its right, lower down; the same at twice
        // the density: Qt halves its size, the server does not.
        const Screen primary{QRect(0, 0, 1280, 800), 1};
        const QList<Screen> two{primary, Screen{QRect(1280, 200, 1024, 768), 1}};
        const QList<Screen> dense{primary, Screen{QRect(1280, 200, 512, 384), 2}};
        const QPoint onSide(1500, 500);
        const struct {
            QList<Screen> screens;
            std::optional<QRectF> window;
            std::optional<QPoint> pointer;
            qsizetype expected;
        } cases[] = {
            {{}, QRectF(0, 0, 10, 10), std::nullopt, -1},
            {two, QRectF(1400, 300, 600, 400), QPoint(10, 10), 1},
            // Its centre lies off both screens: the side screen holds more of it.
            {two, QRectF(1220, 20, 200, 340), std::nullopt, 1},
            // A window on no screen: the pointer's screen, whichever it is.
            {two, QRectF(5000, 5000, 100, 100), onSide, 1},
            {two, QRectF(5000, 5000, 100, 100), QPoint(10, 10), 0},
            {two, QRectF(100, 100, 0, 0), onSide, 1}, // an empty frame counts as no window
            {two, std::nullopt, QPoint(1300, 10), 0},
            // Outside the dense screen's Qt rectangle, inside its pixels.
            {dense, QRectF(1900, 500, 200, 200), std::nullopt, 1},
        };
        for (const auto &test : cases)
            QCOMPARE(PanelPlacement::screenFor(test.screens, test.window, test.pointer), test.expected);
    }

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

QTEST_GUILESS_MAIN(ChoicesTest)
#include "choices_test.moc"
