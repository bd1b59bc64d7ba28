#pragma once
class QWidget;

namespace lettergate {

class Apps;
class UpdateResult;

namespace UpdateAlerts {

// One modal alert for the outcome of a check the user asked for: an available update
// offers its download page, an up-to-date or failed check says so.
void present(const UpdateResult &result, Apps &apps, QWidget *parent = nullptr);

} // namespace UpdateAlerts

} // namespace lettergate
