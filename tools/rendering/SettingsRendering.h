#pragma once

#include "settings/ui/SettingsView.h"

#include <QImage>

namespace lettergate {

struct SettingsServices;

// Pictures of the settings window for review and documentation (the screenshot script).
namespace SettingsRendering {

// Gives the services sample content: app letters with names, text and picture snippets
// (one whose picture file is missing), links and commands. It is written through the
// stores to their files, so pass services over a scratch configuration and data
// directory, never the user's.
void fillWithSampleData(const SettingsServices &services);

// The settings window's content showing `tab`, at its window size, drawn without
// appearing on any screen. Waits (up to a few seconds) for snippet pictures to load.
QImage render(const SettingsServices &services, SettingsView::Tab tab);

} // namespace SettingsRendering

} // namespace lettergate
