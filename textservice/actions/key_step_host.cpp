#include "textservice/actions/key_step_host.h"

#include "textservice/actions/key_dispatch.h"

void KeyStepActionHost::RunKeyHandler() {
    DispatchKeyFunction(step_.engine(), *this, step_.engine()->input.keyAction);
}

int KeyStepActionHost::LastCommit(const wchar_t** text) {
    const InputState& in = step_.engine()->input;
    uint32_t n = step_.state().savedCommitCount;
    if (n > in.outputLength) n = in.outputLength;
    if (n > kOutputUnits - 1) n = kOutputUnits - 1;
    *text = in.outputText;
    return static_cast<int>(n);
}
