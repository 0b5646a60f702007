// The whole payload step: split the running file, unpack the archive, read the defaults.
#pragma once
#include "installer/app/installer_state.h"
#include "installer/package/payload_extract.h"

enum class UnpackResult {
    kUnpacked,
    kSplitFailed,     // no payload in the running file, or the work files cannot be written
    kExtractFailed,   // the archive is unreadable or an entry could not be written
    kDefaultsFailed,  // the payload's config.dsc is missing or damaged
};

// unpackDir = workDir\zipdatas; payloadPath unpacked into it; soft and ime copies filled.
UnpackResult UnpackPayload(InstallerState* state, const ExtractProgress* progress);
