// The settings of a new installation that the settings text has no keys for.
#pragma once
#include <windows.h>

#include "core/settings/config_blocks.h"

// Build facts set before the settings text is read: the parts this build contains (the
// text's keys for them are honoured only when set) and the visible tabs and buttons.
void SetShippedBuildFields(ImeConfigData* ime);
// Fields written after the text: the code keys, the interface options and the product record
// (names, versions, class names) with the input method's GUID.
void SetShippedFields(DmeConfigData* dme, SkinConfigData* skin, SoftConfigData* soft,
                      const GUID& guid);
