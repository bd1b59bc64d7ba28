#include "settings/ui/SettingsServices.h"

#include "hotkeys/HotkeyManager.h"
#include "platform/Platform.h"
#include "settings/SaveIndicator.h"
#include "settings/SettingsStore.h"
#include "stores/ClipboardHistory.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/SnippetStore.h"

SettingsServices SettingsServices::shared()
{
    return {SettingsStore::shared(), SaveIndicator::shared(),    SnippetStore::shared(), LinkStore::shared(),
            CommandStore::shared(),  ClipboardHistory::shared(), Platform::current(),
            HotkeyManager::shared()};
}
