#pragma once
// The logic of the six preferences pages over the settings globals. Every control acts at
// once; a page takes undo copies of what it edits when it is first shown, Cancel puts them
// back and OK writes the settings file. UI thread only.

#include <functional>
#include <memory>

#include "ui/preference_controls.h"

// How the current sheet ended: 0 not yet, 1 OK, 2 Cancel. Each new sheet starts at 0, so a
// sheet that goes another way (with the main window) neither writes nor restores.
extern int PreferencesResult;

// What the pages reach beyond the settings globals.
struct PreferenceHooks {
    std::function<void(int engine)> setRenderEngine;
    std::function<int()> writeSettings;  // 0 written, 1 not (the hook tells the user why)
    std::function<void()> clubShown;     // after the sheet has turned the club on
};

// The OK of every shown page.
void PreferencePageOnOK();

// The logic of one opening of the sheet; its OnDestroy clears theApp.PreferencesOpen.
[[nodiscard]] std::unique_ptr<prefs::SheetPages> MakePreferencePages(PreferenceHooks hooks);
