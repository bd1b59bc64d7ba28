#include "updates/UpdateResult.h"

namespace lettergate {

UpdateResult UpdateResult::updateAvailable(const QString &version, const QString &url,
                                           const std::optional<QString> &notes)
{
    UpdateResult result(Kind::UpdateAvailable);
    result.m_version = version;
    result.m_url = url;
    result.m_notes = notes;
    return result;
}

UpdateResult UpdateResult::error(const QString &message)
{
    UpdateResult result(Kind::Error);
    result.m_message = message;
    return result;
}

UpdateResult UpdateResult::upToDate()
{
    return UpdateResult(Kind::UpToDate);
}

} // namespace lettergate
