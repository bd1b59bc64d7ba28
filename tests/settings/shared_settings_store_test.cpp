#include "SettingsTestSupport.h"

#include "hotkeys/HotkeyManager.h"
#include "support/FakePlatform.h"
#include "support/TestEnvironment.h"

// The application's own instance: its file, its save indicator and its trigger. A
// program of its own, since the instance lives for the rest of the process.
class SharedSettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void sharedStoreReadsTheUsersFileAndRearmsTheApplicationsTrigger()
    {
        writeSettingsFile("[General]\nLettergate.commandKey=k\n");

        SettingsStore &store = SettingsStore::shared();
        QCOMPARE(&SettingsStore::shared(), &store);
        QCOMPARE(store.commandKey(), QStringLiteral("k"));
        QCOMPARE(SaveIndicator::shared().tick(), 1);
        QVERIFY(platform.keys.registrations.isEmpty()); // loading arms nothing

        HotkeyManager::shared().setOnTrigger([] {});
        const HotkeyConfig commandSpace = HotkeyConfig::combo(49, CarbonModifiers::command);
        store.setHotkey(commandSpace);
        QCOMPARE(platform.keys.registrations.size(), 1);
        QCOMPARE(platform.keys.registrations.first().keyCode, 49u);
        QCOMPARE(SaveIndicator::shared().tick(), 2);
        QVERIFY(settingsFileText().contains(commandSpace.toJson().replace('"', "\\\"")));
    }

private:
    TestEnvironment environment;
    FakePlatform platform;
};

QTEST_GUILESS_MAIN(SharedSettingsStoreTest)
#include "shared_settings_store_test.moc"
