#pragma once

#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/TriggerArmer.h"
#include "platform/Paths.h"
#include "settings/HistoryLimitTarget.h"
#include "settings/KeyValidation.h"
#include "settings/SaveIndicator.h"
#include "settings/SettingsStore.h"
#include "stores/StoreTesting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <vector>

namespace lettergate {

class RecordingArmer final : public TriggerArmer {
public:
    void apply(const HotkeyConfig &config) override { applied.push_back(config); }
    std::vector<HotkeyConfig> applied;
};

class RecordingHistory final : public HistoryLimitTarget {
public:
    void applyHistoryLimit(int limit) override { limits.append(limit); }
    QList<int> limits;
};

// One run of the program: a store over a settings file with collaborators that record
// what the store asks of them, and a save indicator of its own.
struct Launch {
    enum class Load { Now, Later };

    explicit Launch(const QString &settingsFile = Paths::settingsFile(), Load when = Load::Now)
        : store(settingsFile, armer, saveIndicator)
    {
        store.setHistoryLimitTarget(&history);
        if (when == Load::Now)
            store.load();
    }
    int tick() const { return saveIndicator.tick(); }

    RecordingArmer armer;
    RecordingHistory history;
    SaveIndicator saveIndicator;
    SettingsStore store;
};

// The settings file as a person would write it.
inline void writeSettingsFile(const QByteArray &text, const QString &path = Paths::settingsFile())
{
    StoreTesting::writeFile(path, text);
}

inline QByteArray settingsFileText(const QString &path = Paths::settingsFile())
{
    return StoreTesting::fileBytes(path);
}

// A copy of the settings file at a path no QSettings has opened in this process, so a
// launch over it reads the bytes on disk rather than QSettings' in-process cache.
inline QString freshCopyOfSettingsFile()
{
    static int launches = 0;
    const QString copy = QFileInfo(Paths::settingsFile()).absolutePath()
                         + QStringLiteral("/launch-%1/Lettergate.ini").arg(++launches);
    QDir().mkpath(QFileInfo(copy).absolutePath());
    return QFile::copy(Paths::settingsFile(), copy) ? copy : QString();
}

} // namespace lettergate
