#pragma once

#include "platform/HotKeys.h"

#include <QList>
#include <QSet>
#include <QStringList>

namespace lettergate {

// Hot keys held in memory. A test presses one with press(); `refused` lists
// combinations the "system" will not grant, as when another client holds them.
class FakeHotKeys final : public HotKeys {
public:
    struct Registration {
        HotKeyId id;
        quint32 keyCode;
        quint32 modifiers;
    };

    bool isSupported() const override { return supported; }
    bool registerHotKey(HotKeyId id, quint32 keyCode, quint32 modifiers) override
    {
        log << QStringLiteral("register %1 %2 %3").arg(id.id).arg(keyCode).arg(modifiers);
        if (!supported || refused.contains(qMakePair(keyCode, modifiers)))
            return false;
        registrations.append({id, keyCode, modifiers});
        return true;
    }
    void unregisterHotKey(HotKeyId id) override
    {
        log << QStringLiteral("unregister %1").arg(id.id);
        registrations.removeIf([id](const Registration &r) { return r.id == id; });
    }

    // Presses the combination as the system would: every registration of it fires.
    void press(quint32 keyCode, quint32 modifiers)
    {
        const QList<Registration> current = registrations;
        for (const Registration &r : current) {
            if (r.keyCode == keyCode && r.modifiers == modifiers)
                emit pressed(r.id);
        }
    }

    QList<Registration> registrations;
    QSet<QPair<quint32, quint32>> refused;
    // False: a desktop that gives no program system-wide combinations.
    bool supported = true;
    QStringList log;
};

} // namespace lettergate
