#include "platform/KeyEncoding.h"
#include "platform/x11/ClientWindow.h"
#include "platform/x11/KeyTranslation.h"
#include "platform/x11/ModifierTracker.h"
#include "platform/x11/NetWmIcon.h"

#include <QTest>
#include <X11/keysym.h>

using namespace lettergate;

// The backend's decisions that need no server: what replies mean, and what the key
// vocabulary becomes on X11.
class BackendRulesTest : public QObject {
    Q_OBJECT

private slots:
    void iconPropertiesAreReadDefensively()
    {
        const QList<QImage> images = netWmIconImages({2, 1, 0xffff0000, 0xff00ff00, 1, 1, 0x800000ff});
        QCOMPARE(images.size(), 2);
        QCOMPARE(images[0].pixelColor(1, 0), QColor(Qt::green));
        QCOMPARE(images[1].pixelColor(0, 0).alpha(), 0x80);
        // Truncated, absurd or overflowing sizes end the list; what came before stays.
        for (const auto &[data, count] :
             std::initializer_list<std::pair<QList<uint32_t>, qsizetype>>{{{2, 2, 1, 2, 3}, 0},
                                                                          {{1, 1, 0, 0xffffffff, 0xffffffff, 0}, 1},
                                                                          {{0x10000, 0x10000}, 0},
                                                                          {{0, 5, 1}, 0},
                                                                          {{7}, 0}})
            QCOMPARE(netWmIconImages(data).size(), count);
    }

    void layersAndVisibilityFollowTheWindowManagersWord()
    {
        // Normal windows and dialogs are listed; every other kind, a window that asks to
        // be skipped, and one beside the window manager are not.
        const struct {
            WindowKind kind;
            bool skipTaskbar, overrideRedirect, listed;
        } windows[] = {{WindowKind::Normal, false, false, true}, {WindowKind::Dialog, false, false, true},
                       {WindowKind::Dialog, true, false, false}, {WindowKind::Normal, false, true, false},
                       {WindowKind::Dock, false, false, false},  {WindowKind::Utility, false, false, false},
                       {WindowKind::Popup, false, false, false}};
        for (const auto &w : windows) {
            ClientWindow window;
            window.kind = w.kind;
            window.skipTaskbar = w.skipTaskbar;
            window.overrideRedirect = w.overrideRedirect;
            QCOMPARE(layerOf(window) == WindowLayer::normal, w.listed);
        }

        ClientWindow shown;
        shown.viewable = true;
        QVERIFY(isOnScreen(shown, std::nullopt));
        shown.desktop = 1;
        QVERIFY(isOnScreen(shown, 1u));
        QVERIFY(!isOnScreen(shown, 0u));
        shown.desktop = 0xFFFFFFFF;
        QVERIFY(isOnScreen(shown, 0u));
        shown.hidden = true;
        QVERIFY(!isOnScreen(shown, 0u));

        QCOMPARE(frameRect(QPoint(101, 120), QSize(300, 200), 0, {1, 1, 20, 5}), QRect(100, 100, 302, 225));
        QCOMPARE(frameRect(QPoint(12, 12), QSize(100, 50), 2, {}), QRect(10, 10, 104, 54));
    }

    void theTriggerVocabularyBecomesKeysymsAndMasks()
    {
        QCOMPARE(KeyTranslation::keysymForVirtualKey(13), xcb_keysym_t(XK_w));
        QCOMPARE(KeyTranslation::keysymForVirtualKey(50), std::nullopt);
        for (const VirtualKey &key : VirtualKeys::all())
            QVERIFY2(KeyTranslation::keysymForVirtualKey(key.code), qPrintable(QString::fromUtf16(key.name)));

        const ModifierMasks masks{XCB_MOD_MASK_4, XCB_MOD_MASK_1, XCB_MOD_MASK_2, 0};
        QCOMPARE(KeyTranslation::modifierMask(CarbonModifiers::control | CarbonModifiers::option, masks),
                 uint16_t(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
        QCOMPARE(KeyTranslation::modifierMask(CarbonModifiers::command, ModifierMasks{}), std::nullopt);

        // Caps Lock and Num Lock in every combination; Scroll Lock absent here.
        QCOMPARE(KeyTranslation::lockCombinations(masks),
                 (QList<uint16_t>{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2}));
        QCOMPARE(KeyTranslation::lockCombinations({0, 0, XCB_MOD_MASK_2, XCB_MOD_MASK_5}).size(), 8);

        QCOMPARE(KeyTranslation::flagsOfState(XCB_MOD_MASK_4 | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_2, masks),
                 ModifierFlags::command | ModifierFlags::control);
    }

    void rawKeysBecomeOneChangeEach()
    {
        using Role = ModifierTracker::Role;
        const ModifierTracker::Key superLeft{133, Role::Modifier, ModifierFlags::command};
        const ModifierTracker::Key superRight{134, Role::Modifier, ModifierFlags::command};
        const ModifierTracker::Key c{54, Role::Ordinary};
        const ModifierTracker::Key numLock{77, Role::Ignored};
        ModifierTracker tracker;
        tracker.reset(0, false);

        QCOMPARE(tracker.press(superLeft)->flags, ModifierFlags::command);
        QVERIFY(!tracker.press(superLeft)); // the key repeating
        QVERIFY(tracker.press(c)->keyDown);
        QCOMPARE(tracker.press(superRight)->flags, ModifierFlags::command);
        QCOMPARE(tracker.release(superLeft)->flags, ModifierFlags::command);
        QCOMPARE(tracker.release(superRight)->flags, quint64(0));
        QVERIFY(!tracker.release(superRight)); // a repeated release
        QVERIFY(!tracker.release(c));
        QVERIFY(!tracker.press(numLock));

        // Held before tracking began: its first release clears it, once.
        tracker.reset(ModifierFlags::option | ModifierFlags::capsLock, true);
        QCOMPARE(tracker.flags(), ModifierFlags::option | ModifierFlags::capsLock);
        const ModifierTracker::Key alt{64, Role::Modifier, ModifierFlags::option};
        QCOMPARE(tracker.release(alt)->flags, ModifierFlags::capsLock);
        QVERIFY(!tracker.release(alt));
        QCOMPARE(tracker.press({66, Role::CapsLock})->flags, quint64(0));
    }
};

QTEST_MAIN(BackendRulesTest)
#include "backend_rules_test.moc"
