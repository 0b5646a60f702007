#include "support/keys/key_driver.h"

namespace testing_support {

int DriverDispatch(KeyStep& step, KeyFunctionMask action) {
    if (action & keyfn::kCommit) {
        if (!step.composing() && step.engine()->input.codeLength == 0) return 0;
        return step.SelectCandidate(KeyFunctionIndex(action));
    }
    if ((action & keyfn::kClearInput) && step.composing()) {
        step.CommitCandidate();
        return 1;
    }
    if (action & keyfn::kToggleEnglish) {
        step.engine()->state ^= kStateEnglishMode;
        return 1;
    }
    if (action & keyfn::kRepeatInput) {
        step.RepeatLastCommit();
        return 1;
    }
    return 0;
}

void ModelDocument::Apply(const DocumentActions& actions) {
    for (int i = 0; i < actions.count; ++i) {
        const DocumentAction& a = actions.items[i];
        switch (a.kind) {
            case DocumentActionKind::kUpdateComposition:
                composing = true;
                composition.assign(a.text, a.length);
                break;
            case DocumentActionKind::kClearComposition:
                composition.clear();
                break;
            case DocumentActionKind::kCommitText:
                // Committed text leaves the composition, which stays open and empty.
                committed.append(a.text, a.length);
                composition.clear();
                break;
            case DocumentActionKind::kEndComposition:
                composition.clear();
                composing = false;
                break;
            default:
                break;
        }
    }
}

uint32_t ScanCodeOf(int vk) {
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
        static const uint32_t pad[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
        return pad[vk - VK_NUMPAD0];
    }
    switch (vk) {
        case VK_SPACE:
            return 0x39;
        case VK_RETURN:
            return 0x1C;
        case VK_ESCAPE:
            return 0x01;
        case VK_BACK:
            return 0x0E;
        case VK_SHIFT:
            return 0x2A;
        case VK_OEM_PERIOD:
            return 0x34;
        case VK_OEM_COMMA:
            return 0x33;
        default:
            return 0x10 + (vk & 0x3F);
    }
}

KeyDriver::KeyDriver(FrontEnd frontEnd) {
    state.frontEnd = frontEnd;
    ForgetHeldKey();
}

KeyDriver::~KeyDriver() { ForgetHeldKey(); }

bool KeyDriver::Down(int vk, uint32_t scan) {
    if (!scan) scan = ScanCodeOf(vk);
    const uint32_t lParam = (scan << 16) | 1;
    const KeyVerdict v =
        ClassifyKey(engine.e, state, {static_cast<uint32_t>(vk), lParam, document.composing});
    last.Clear();
    if (v.eaten()) {
        KeyStep step({engine.e, &state, &last, document.composing, true, nullptr, dispatcher});
        lastResult = step.Run();
        document.Apply(last);
    }
    FinishKeyDown(state);
    return v.eaten();
}

bool KeyDriver::Up(int vk, uint32_t scan) {
    if (!scan) scan = ScanCodeOf(vk);
    const uint32_t lParam = (scan << 16) | 0xC0000001u;
    const KeyVerdict v =
        ClassifyKey(engine.e, state, {static_cast<uint32_t>(vk), lParam, document.composing});
    if (v.eaten()) {
        DocumentActions actions;
        KeyStep step({engine.e, &state, &actions, document.composing, true, nullptr, dispatcher});
        step.Run();
        document.Apply(actions);
    }
    return v.eaten();
}

bool KeyDriver::Tap(int vk, uint32_t scan) {
    const bool eaten = Down(vk, scan);
    Up(vk, scan);
    return eaten;
}

void KeyDriver::TypeKeypad(const char* digits) {
    for (; *digits; ++digits) Tap(VK_NUMPAD0 + (*digits - '0'));
}

}  // namespace testing_support
