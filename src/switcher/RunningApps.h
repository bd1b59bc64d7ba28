#pragma once

#include "switcher/AppEntry.h"

#include <QList>
#include <QSet>

class SettingsStore;

// The panel's applications: one entry per process, in the order of each process's
// front-most window, with its windows sorted by id and its letter. A letter that is
// reserved (a list key) or already given to an app listed earlier is replaced, for this
// list only, by the first free letter of the alphabet; stored letters are not touched.
// Pass the four list keys as `reserved`.
QList<AppEntry> buildApps(const QList<WindowInfo> &windows, QSet<QString> reserved, SettingsStore &settings);

// The same entries without letters: giving a new app its letter stores it, which only
// a showing of the panel may do.
QList<AppEntry> groupByProcess(const QList<WindowInfo> &windows);
