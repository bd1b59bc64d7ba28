#pragma once

#include "switcher/AppEntry.h"

#include <QList>
#include <QSet>

namespace lettergate {

class SettingsStore;

// The panel's applications: one entry per application identity (its bundle
// identifier), whatever number of processes show its windows, in the order of each
// application's front-most window, with its windows sorted by id and its letter. A
// window whose process has no identifier is an application of its own process.
//
// A letter that is reserved (a list key) or already given to an app listed earlier is
// replaced, for this list only, by the first letter of the alphabet that is neither
// reserved nor claimed by any listed app, nor, while one is left, stored for an app
// without a card: a replacement never moves another app's letter. Stored letters are
// not touched. Pass the four list keys as `reserved`.
QList<AppEntry> buildApps(const QList<WindowInfo> &windows, QSet<QString> reserved, SettingsStore &settings);

// The same entries without letters: giving a new app its letter stores it, which only
// a showing of the panel may do.
QList<AppEntry> groupByApplication(const QList<WindowInfo> &windows);

} // namespace lettergate
