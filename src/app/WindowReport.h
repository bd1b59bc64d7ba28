#pragma once

#include "switcher/AppEntry.h"

#include <QByteArray>
#include <QList>

namespace lettergate {

class Platform;
class SettingsStore;

// The panel's applications as `lettergate windows` prints them: one line per window,
// in the panel's order, with five tab-separated fields: the app's letter ("-" when it
// has none), the app's name, the window's number on the app's window page, the window
// id in hexadecimal, and the title. Names and titles are cut to one line.
QByteArray windowReport(const QList<AppEntry> &apps);

// The applications the panel would show now: the windows of every other process with
// the letters they would get.
QList<AppEntry> panelApps(Platform &platform, SettingsStore &settings);

} // namespace lettergate
