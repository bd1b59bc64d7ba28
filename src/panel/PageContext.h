#pragma once

#include "panel/SwitcherActions.h"

namespace lettergate {

class AppIconCache;
class SnippetStore;
class SwitcherViewModel;

// What every page is built from: the view model's state, the snippet pictures, the
// click callbacks, the apps' icons, and how many entries the apps page's columns and
// bars show.
struct PageContext {
    const SwitcherViewModel &viewModel;
    const SnippetStore &snippets;
    const SwitcherActions &actions;
    const AppIconCache &icons;
    int firstLayerCount = 4;
    int linkFirstLayerCount = 6;
};

// Calls a click callback that the controller may have left empty.
template <typename Callback, typename... Arguments>
void callIfSet(const Callback &callback, const Arguments &...arguments)
{
    if (callback)
        callback(arguments...);
}

} // namespace lettergate
