#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/VirtualKeys.h"

#include <QSet>
#include <QTest>

using ModifierKey = HotkeyConfig::ModifierKey;

class HotkeyConfigTest : public QObject {
    Q_OBJECT
private slots:
    void namesAreLinuxForPeopleAndUnchangedForTheLog_data()
    {
        QTest::addColumn<HotkeyConfig>("trigger");
        QTest::addColumn<QString>("readable");
        QTest::addColumn<QString>("logged"); // empty: not checked on this row
        const auto row = [](const char *name, HotkeyConfig trigger, const char *readable, const char *logged = "") {
            QTest::newRow(name) << trigger << QString::fromUtf8(readable) << QString::fromUtf8(logged);
        };
        row("the default", HotkeyConfig::defaultTrigger(), "Ctrl+Alt+W", "⌃⌥W");
        row("every modifier, in order", HotkeyConfig::combo(13, 0x1B00), "Ctrl+Alt+Shift+Super+W", "⌃⌥⇧⌘W");
        row("Super", HotkeyConfig::combo(5, 0x100), "Super+G");
        row("a named key", HotkeyConfig::combo(49, 0x1200), "Ctrl+Shift+Space");
        row("a key with a log symbol", HotkeyConfig::combo(36, 0x0800), "Alt+Return", "⌥↩");
        row("two words", HotkeyConfig::combo(121, 0x1000), "Ctrl+Page Down", "⌃⇟");
        row("a function key", HotkeyConfig::combo(96, 0x100), "Super+F5");
        row("a key outside the table", HotkeyConfig::combo(50, 0x1000), "Ctrl+Key50", "⌃Key50");
        row("double tap of Super", HotkeyConfig::doubleModifier(ModifierKey::Command), "Double-tap Super",
            "Double-tap ⌘");
        row("double tap of Ctrl", HotkeyConfig::doubleModifier(ModifierKey::Control), "Double-tap Ctrl");
        row("double tap of Alt", HotkeyConfig::doubleModifier(ModifierKey::Option), "Double-tap Alt");
        row("double tap of Shift", HotkeyConfig::doubleModifier(ModifierKey::Shift), "Double-tap Shift");
    }
    void namesAreLinuxForPeopleAndUnchangedForTheLog()
    {
        QFETCH(HotkeyConfig, trigger);
        QFETCH(QString, readable);
        QFETCH(QString, logged);
        QCOMPARE(trigger.readableName(), readable);
        if (!logged.isEmpty())
            QCOMPARE(trigger.logName(), logged);
    }

    void onlyCombinationsWithoutCtrlAltOrSuperSwallowTyping()
    {
        QVERIFY(HotkeyConfig::combo(0, 0).canSwallowTyping());
        QVERIFY(HotkeyConfig::combo(0, 0x200).canSwallowTyping());
        for (quint32 holding : {0x100u, 0x800u, 0x1000u, 0x1200u})
            QVERIFY(!HotkeyConfig::combo(0, holding).canSwallowTyping());
        QVERIFY(!HotkeyConfig::doubleModifier(ModifierKey::Shift).canSwallowTyping());
    }

    void keyTableMapsEachKeyOneWay()
    {
        QSet<quint32> codes;
        QSet<int> qtKeys;
        for (const VirtualKey &key : VirtualKeys::all()) {
            codes.insert(key.code);
            qtKeys.insert(key.qtKey);
        }
        QCOMPARE(codes.size(), qsizetype(VirtualKeys::all().size()));
        QCOMPARE(qtKeys.size(), codes.size());
        for (const VirtualKey &key : VirtualKeys::all()) {
            QCOMPARE(VirtualKeys::codeForQtKey(key.qtKey), std::optional<quint32>(key.code));
            QCOMPARE(VirtualKeys::qtKeyForCode(key.code), std::optional(key.qtKey));
        }
        QVERIFY(!VirtualKeys::codeForQtKey(Qt::Key_F13));
    }

    void jsonRoundTripsAndEqualityComparesCaseAndPayload()
    {
        QCOMPARE(HotkeyConfig::defaultTrigger().toJson(), QByteArray(R"({"combo":{"carbonModifiers":6144,"keyCode":13}})"));
        QCOMPARE(HotkeyConfig::doubleModifier(ModifierKey::Option).toJson(), QByteArray(R"({"doubleModifier":{"_0":"option"}})"));
        for (ModifierKey key : ModifierKeys::all)
            QCOMPARE(HotkeyConfig::fromJson(HotkeyConfig::doubleModifier(key).toJson()), std::optional(HotkeyConfig::doubleModifier(key)));
        const auto wide = HotkeyConfig::combo(4294967295u, 0x1B00);
        QCOMPARE(HotkeyConfig::fromJson(wide.toJson()), std::optional(wide));
        // Member order and unknown members do not matter.
        QCOMPARE(HotkeyConfig::fromJson(R"({"x":1,"combo":{"keyCode":49,"carbonModifiers":256}})"),
                 std::optional(HotkeyConfig::combo(49, 256)));

        // The round trips above mean nothing if everything compared equal.
        QVERIFY(!(HotkeyConfig::combo(13, 0x1000) == HotkeyConfig::defaultTrigger()));
        QVERIFY(!(HotkeyConfig::doubleModifier(ModifierKey::Command) == HotkeyConfig::doubleModifier(ModifierKey::Shift)));
        QVERIFY(!(HotkeyConfig::combo(0, 0) == HotkeyConfig::doubleModifier(ModifierKey::Command)));
    }

    void decodingRejectsEverythingElse()
    {
        QString error;
        QVERIFY(!HotkeyConfig::fromJson(R"({"combo":{"keyCode":1,"carbonModifiers":0},"doubleModifier":{"_0":"shift"}})", &error));
        QCOMPARE(error, QStringLiteral("Invalid number of keys found, expected one."));

        const QList<QByteArray> broken = {
            "{}",
            R"({"doubleModifier":{"_0":"fn"}})",
            R"({"doubleModifier":{"_0":1}})",
            R"({"doubleModifier":"command"})",
            R"({"combo":{"keyCode":-1,"carbonModifiers":0}})",
            R"({"combo":{"keyCode":4294967296,"carbonModifiers":0}})",
            R"({"combo":{"keyCode":1.5,"carbonModifiers":0}})",
            R"({"combo":{"keyCode":"13","carbonModifiers":0}})",
            R"({"combo":{"keyCode":13}})",
            R"([{"combo":{"keyCode":13,"carbonModifiers":0}}])",
            "not json",
            "",
        };
        for (const QByteArray &json : broken) {
            error.clear();
            QVERIFY2(!HotkeyConfig::fromJson(json, &error), json.constData());
            QVERIFY2(!error.isEmpty(), json.constData());
        }
    }

    void carbonBitsComeFromTheFourModifierFlagsOnly()
    {
        QCOMPARE(carbonModifiersFromFlags(ModifierFlags::command | ModifierFlags::shift), 0x300u);
        QCOMPARE(carbonModifiersFromFlags(ModifierFlags::control | ModifierFlags::option | ModifierFlags::function
                                          | ModifierFlags::capsLock | 0xFF),
                 0x1800u);
    }
};

QTEST_APPLESS_MAIN(HotkeyConfigTest)
#include "hotkey_config_test.moc"
