#include "X11TestSupport.h"
#include "platform/KeyEncoding.h"
#include "platform/KeyTap.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

namespace {

void xdotool(const QStringList &arguments)
{
    X11Test::run(QStringLiteral("xdotool"), arguments);
}

QList<quint64> flagsOf(QSignalSpy &spy)
{
    QList<quint64> flags;
    for (const QList<QVariant> &arguments : std::as_const(spy))
        flags.append(arguments.at(0).value<quint64>());
    return flags;
}

} // namespace

// The listen-only key stream from XInput raw events, in the flags the double-tap
// detector reads.
class KeyTapTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
    }

    void modifierTapsAndShortcutsArriveAsFlagsAndKeyDowns()
    {
        std::unique_ptr<KeyTapSession> tap = m_platform->keyTap().create();
        QVERIFY(tap);
        QSignalSpy flags(tap.get(), &KeyTapSession::flagsChanged);
        QSignalSpy keyDowns(tap.get(), &KeyTapSession::keyDown);
        tap->setEnabled(true);
        QVERIFY(tap->isEnabled());

        xdotool({"key", "super"});
        QTRY_COMPARE(flagsOf(flags), (QList<quint64>{ModifierFlags::command, 0}));
        QCOMPARE(keyDowns.size(), 0);
        flags.clear();

        xdotool({"key", "super+c"});
        QTRY_COMPARE(flagsOf(flags), (QList<quint64>{ModifierFlags::command, 0}));
        QCOMPARE(keyDowns.size(), 1);
        flags.clear();
        keyDowns.clear();

        xdotool({"keydown", "ctrl", "keydown", "alt", "keydown", "shift", "keyup", "shift", "keyup", "alt", "keyup",
                 "ctrl"});
        const quint64 control = ModifierFlags::control, option = ModifierFlags::option, shift = ModifierFlags::shift;
        QTRY_COMPARE(flagsOf(flags), (QList<quint64>{control, control | option, control | option | shift,
                                                     control | option, control, 0}));
        flags.clear();

        // Caps Lock is a state: on with one press, off with the next.
        xdotool({"key", "Caps_Lock"});
        QTRY_COMPARE(flagsOf(flags), QList<quint64>{ModifierFlags::capsLock});
        xdotool({"key", "super"});
        QTRY_COMPARE(flagsOf(flags).size(), 3);
        QCOMPARE(flagsOf(flags).mid(1), (QList<quint64>{ModifierFlags::command | ModifierFlags::capsLock,
                                                        ModifierFlags::capsLock}));
        xdotool({"key", "Caps_Lock"});
        QTRY_COMPARE(flagsOf(flags).last(), quint64(0));
        flags.clear();
        QCOMPARE(keyDowns.size(), 0);

        tap->setEnabled(false);
        xdotool({"key", "super", "a"});
        QTest::qWait(200);
        QCOMPARE(flags.size(), 0);
        QCOMPARE(keyDowns.size(), 0);
    }

    void aModifierHeldBeforeListeningIsReleasedOnce()
    {
        xdotool({"keydown", "super"});
        std::unique_ptr<KeyTapSession> tap = m_platform->keyTap().create();
        QSignalSpy flags(tap.get(), &KeyTapSession::flagsChanged);
        tap->setEnabled(true);
        // xdotool may repeat a release; the stream reports the change once.
        xdotool({"keyup", "super", "keyup", "super"});
        QTRY_COMPARE(flagsOf(flags), QList<quint64>{0});
        QTest::qWait(200);
        QCOMPARE(flags.size(), 1);
    }

    void sessionsListenIndependently()
    {
        std::unique_ptr<KeyTapSession> first = m_platform->keyTap().create();
        std::unique_ptr<KeyTapSession> second = m_platform->keyTap().create();
        QSignalSpy firstDowns(first.get(), &KeyTapSession::keyDown);
        QSignalSpy secondDowns(second.get(), &KeyTapSession::keyDown);
        first->setEnabled(true);
        second->setEnabled(true);
        xdotool({"key", "a"});
        QTRY_COMPARE(firstDowns.size(), 1);
        QTRY_COMPARE(secondDowns.size(), 1);

        first.reset();
        xdotool({"key", "b"});
        QTRY_COMPARE(secondDowns.size(), 2);
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(KeyTapTest)
#include "keytap_test.moc"
