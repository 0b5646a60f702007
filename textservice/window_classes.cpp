#include "textservice/window_classes.h"

namespace {

const wchar_t* const kSkinWindowClasses[] = {L"QLKXSKIN_CAND", L"QLKXSKIN_STATUS", L"QLKXSKIN_SKBD",
                                             L"QLKXSKIN_TIPS", L"QLKXSKIN_DICT"};

}  // namespace

// The windows themselves come with their window procedures; until then nothing to register.
int RegisterUIWindowClasses(HINSTANCE) { return 1; }

void UnregisterUIWindowClasses(HINSTANCE module) {
    for (const wchar_t* name : kSkinWindowClasses) UnregisterClassW(name, module);
}
