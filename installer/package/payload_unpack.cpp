#include "installer/package/payload_unpack.h"

#include <cwchar>

#include "installer/package/installer_container.h"
#include "installer/package/payload_defaults.h"

UnpackResult UnpackPayload(InstallerState* state, const ExtractProgress* progress) {
    if (!SplitSucceeded(SplitInstallerPayload(state))) return UnpackResult::kSplitFailed;
    int n =
        _snwprintf(state->unpackDir, kPathChars, L"%ls\\%ls", state->workDir, kUnpackFolderName);
    if (n < 0 || n >= kPathChars) {
        state->unpackDir[0] = 0;
        return UnpackResult::kExtractFailed;
    }
    if (!ExtractPayload(state->payloadPath, state->unpackDir, progress))
        return UnpackResult::kExtractFailed;
    if (LoadPayloadDefaults(state) != PayloadDefaults::kLoaded)
        return UnpackResult::kDefaultsFailed;
    return UnpackResult::kUnpacked;
}
