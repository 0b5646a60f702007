// The small progress dialog that unpacks the payload on a worker thread.
#pragma once
#include "installer/app/installer_state.h"
#include "installer/package/payload_unpack.h"

// Runs the dialog modally; true (OK) when the payload was unpacked and its defaults read.
bool RunExtractDialog(InstallerState* state);

// The same, with the worker's result.
UnpackResult RunExtractDialog(InstallerState* state, HWND owner);

// The progress bar's position for done of total bytes.
int ExtractProgressPercent(uint64_t done, uint64_t total);
