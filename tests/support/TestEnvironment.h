#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

namespace lettergate {

// Points XDG_CONFIG_HOME and XDG_DATA_HOME into a fresh temporary directory for the
// lifetime of the object, so no test ever reads or writes the real home directory.
class TestEnvironment {
public:
    TestEnvironment()
    {
        qputenv("XDG_CONFIG_HOME", (m_root.path() + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (m_root.path() + QStringLiteral("/data")).toLocal8Bit());
    }
    QString root() const { return m_root.path(); }
    QString configHome() const { return m_root.path() + QStringLiteral("/config"); }
    QString dataHome() const { return m_root.path() + QStringLiteral("/data"); }

private:
    QTemporaryDir m_root;
};

} // namespace lettergate
