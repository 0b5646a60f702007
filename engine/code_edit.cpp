#include "engine/code_edit.h"

#include <windows.h>

#include <cstring>

#include "engine/platform.h"

namespace {

// Keeps codeLength and caret inside the code before an edit.
void ClampCode(InputState& in) {
    if (in.codeLength > kMaxCodeUnits) in.codeLength = kMaxCodeUnits;
    if (in.caret > in.codeLength) in.caret = in.codeLength;
    in.code[in.codeLength] = 0;
}

void RemoveAt(InputState& in, uint32_t pos) {
    std::memmove(in.code + pos, in.code + pos + 1, (in.codeLength - pos - 1) * sizeof(wchar_t));
    --in.codeLength;
    in.code[in.codeLength] = 0;
}

}  // namespace

void Engine::InsertKeyChar(Engine* e) {
    if (!e) return;
    InputState& in = e->input;
    ClampCode(in);
    if (in.codeLength >= kMaxCodeUnits || !in.keyChar || !in.keyChar[0]) return;
    std::memmove(in.code + in.caret + 1, in.code + in.caret,
                 (in.codeLength - in.caret) * sizeof(wchar_t));
    in.code[in.caret] = in.keyChar[0];
    ++in.caret;
    ++in.codeLength;
    in.code[in.codeLength] = 0;
}

int Engine::DeleteBeforeCaret(Engine* e) {
    if (!e) return 0;
    InputState& in = e->input;
    ClampCode(in);
    if (in.caret > 0) {
        RemoveAt(in, in.caret - 1);
        --in.caret;
    }
    return ProcessInput(e);
}

int Engine::DeleteAfterCaret(Engine* e) {
    if (!e) return 0;
    InputState& in = e->input;
    ClampCode(in);
    if (in.caret < in.codeLength) RemoveAt(in, in.caret);
    return ProcessInput(e);
}

int Engine::EditCode(Engine* e, uint32_t vk) {
    if (!e) return 0;
    InputState& in = e->input;
    ClampCode(in);
    switch (vk) {
        case VK_BACK:
            return DeleteBeforeCaret(e);
        case VK_DELETE:
            return DeleteAfterCaret(e);
        case VK_END:
            in.caret = in.codeLength;
            break;
        case VK_HOME:
            in.caret = 0;
            break;
        case VK_LEFT:
            if (in.caret > 0) --in.caret;
            break;
        case VK_RIGHT:
            if (in.caret < in.codeLength) ++in.caret;
            break;
        default:
            return 0;
    }
    return ProcessInput(e);
}

int Engine::ReplayBackspaces(Engine* e, int count) {
    if (!e) return 0;
    e->replayActive = 1;
    const EnginePlatform& p = Platform();
    for (int i = 0; i < count; ++i) {
        p.keyEvent(VK_BACK, 0);
        p.keyEvent(VK_BACK, KEYEVENTF_KEYUP);
    }
    p.keyEvent(kReplayMarkerKey, 0);
    p.keyEvent(kReplayMarkerKey, KEYEVENTF_KEYUP);
    return 0;
}
