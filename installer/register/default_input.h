// Making another input method the default before the input method's own layout or text
// service goes away.
#pragma once
#include <windows.h>

#include <vector>

#include "installer/install/environment.h"

// One input method of the machine: an enabled text-service profile or a keyboard layout.
struct InputProfileEntry {
    LANGID language = 0;
    bool textService = false;
    CLSID clsid{};   // text services
    GUID profile{};  // text services
    HKL layout{};    // keyboard layouts
};

// Index of the entry that should become the default, or -1 to change nothing. Nothing
// changes when the default is neither ours (our text service, or our layout) nor found. Else
// the first keyboard layout of the default's language that is not ours, else the first text
// service of that language that is not ours.
int ChooseOtherDefault(const std::vector<InputProfileEntry>& entries, int currentDefault,
                       HKL ourLayout, REFCLSID ourClsid);

// The machine's enabled text-service profiles and keyboard layouts, grouped by language.
std::vector<InputProfileEntry> ListInputProfiles(InstallEnvironment& env);

// Makes entry the default input method of the current user.
void SetDefaultInputProfile(const InputProfileEntry& entry);

// With the current default ours, another input method of its language becomes the default.
void EnsureOtherDefault(InstallEnvironment& env, HKL ourLayout, REFCLSID ourClsid);
