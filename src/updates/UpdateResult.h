#pragma once

#include <QString>
#include <optional>

namespace lettergate {

// The outcome of one update check: a newer release with its download page, a failure
// described for the user, or nothing to do.
class UpdateResult {
public:
    enum class Kind { UpdateAvailable, Error, UpToDate };

    static UpdateResult updateAvailable(const QString &version, const QString &url,
                                        const std::optional<QString> &notes);
    static UpdateResult error(const QString &message);
    static UpdateResult upToDate();

    Kind kind() const { return m_kind; }
    bool isUpdateAvailable() const { return m_kind == Kind::UpdateAvailable; }
    bool isError() const { return m_kind == Kind::Error; }
    bool isUpToDate() const { return m_kind == Kind::UpToDate; }

    // Of an available update, as the release endpoint named them.
    const QString &version() const { return m_version; }
    const QString &url() const { return m_url; }
    const std::optional<QString> &notes() const { return m_notes; }

    // Of an error: a sentence the update alert can show as it stands.
    const QString &message() const { return m_message; }

    // Equal when the case and every payload are equal.
    friend bool operator==(const UpdateResult &, const UpdateResult &) = default;

private:
    explicit UpdateResult(Kind kind)
        : m_kind(kind)
    {
    }

    Kind m_kind;
    QString m_version;
    QString m_url;
    std::optional<QString> m_notes;
    QString m_message;
};

} // namespace lettergate
