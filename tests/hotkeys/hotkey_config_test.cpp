#include "hotkeys/HotkeyConfig.h"
#include "platform/KeyEncoding.h"

#include <QTest>

using namespace lettergate;

using ModifierKey = HotkeyConfig::ModifierKey;

class HotkeyConfigTest : public QObject {
    Q_OBJECT
private slots:
    void namesAreLinuxForPeopleAndUnchangedForTheLog()
    {
        const struct {
            HotkeyConfig trigger;
            const char *readable, *logged;
        } rows[] = {
            {HotkeyConfig::defaultTrigger(), "Ctrl+Alt+W", "⌃⌥W"},
            {HotkeyConfig::combo(13, 0x1B00), "Ctrl+Alt+Shift+Super+W", "⌃⌥⇧⌘W"}, // every modifier, in order
            {HotkeyConfig::combo(49, 0x1200), "Ctrl+Shift+Space", "⌃⇧Space"},
            {HotkeyConfig::combo(50, 0x1000), "Ctrl+Key50", "⌃Key50"}, // a key outside the table
            {HotkeyConfig::doubleModifier(ModifierKey::Command), "Double-tap Super", "Double-tap ⌘"},
            {HotkeyConfig::doubleModifier(ModifierKey::Shift), "Double-tap Shift", "Double-tap ⇧"},
        };
        for (const auto &row : rows)
            QCOMPARE(row.trigger.readableName() + u'|' + row.trigger.logName(),
                     QString::fromUtf8(row.readable) + u'|' + QString::fromUtf8(row.logged));
    }

    void keyTableMapsEachKeyOneWay()
    {
        // Each lookup finds the key it started from, both ways, so no two keys share a code or a Qt key.
        for (const VirtualKey &key : VirtualKeys::all()) {
            QCOMPARE(VirtualKeys::codeForQtKey(key.qtKey), std::optional<quint32>(key.code));
            QCOMPARE(VirtualKeys::qtKeyForCode(key.code), std::optional(key.qtKey));
        }
        QVERIFY(!VirtualKeys::codeForQtKey(Qt::Key_F13));
    }

    void jsonRoundTripsAndEqualityComparesCaseAndPayload()
    {
        QCOMPARE(HotkeyConfig::defaultTrigger().toJson(),
                 QByteArray(R"({"combo":{"carbonModifiers":6144,"keyCode":13}})"));
        QCOMPARE(HotkeyConfig::doubleModifier(ModifierKey::Option).toJson(),
                 QByteArray(R"({"doubleModifier":{"_0":"option"}})"));
        for (ModifierKey key : ModifierKeys::all)
            QCOMPARE(HotkeyConfig::fromJson(HotkeyConfig::doubleModifier(key).toJson()),
                     std::optional(HotkeyConfig::doubleModifier(key)));
        const auto wide = HotkeyConfig::combo(4294967295u, 0x1B00);
        QCOMPARE(HotkeyConfig::fromJson(wide.toJson()), std::optional(wide));
        // Member order and unknown members do not matter.
        QCOMPARE(HotkeyConfig::fromJson(R"({"x":1,"combo":{"keyCode":0,"carbonModifiers":256}})"),
                 std::optional(HotkeyConfig::combo(0, 256)));

        // The round trips above mean nothing if everything compared equal.
        QVERIFY(
            !(HotkeyConfig::combo(13, 0x1000) == HotkeyConfig::defaultTrigger())
            && !(HotkeyConfig::doubleModifier(ModifierKey::Command) == HotkeyConfig::doubleModifier(ModifierKey::Shift))
            && !(HotkeyConfig::combo(0, 0) == HotkeyConfig::doubleModifier(ModifierKey::Command)));
    }

    void decodingRejectsEverythingElse()
    {
        QString error;
        QVERIFY(!HotkeyConfig::fromJson(
            R"({"combo":{"keyCode":1,"carbonModifiers":0},"doubleModifier":{"_0":"shift"}})", &error));
        QCOMPARE(error, QStringLiteral("Invalid number of keys found, expected one."));

        const QList<QByteArray> broken = {"{}",
                                          R"({"doubleModifier":{"_0":"fn"}})",
                                          R"({"doubleModifier":"command"})",
                                          R"({"combo":{"keyCode":-1,"carbonModifiers":0}})",
                                          R"({"combo":{"keyCode":4294967296,"carbonModifiers":0}})",
                                          R"({"combo":{"keyCode":1.5,"carbonModifiers":0}})",
                                          R"({"combo":{"keyCode":"13","carbonModifiers":0}})",
                                          R"({"combo":{"keyCode":13}})",
                                          R"([{"combo":{"keyCode":13,"carbonModifiers":0}}])",
                                          ""};
        for (const QByteArray &json : broken) {
            error.clear();
            QVERIFY2(!HotkeyConfig::fromJson(json, &error), json.constData());
            QVERIFY2(!error.isEmpty(), json.constData());
        }
    }
};

QTEST_APPLESS_MAIN(HotkeyConfigTest)
#include "hotkey_config_test.moc"
