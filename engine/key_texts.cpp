#include "engine/key_texts.h"

#include <windows.h>

#include "core/settings/key_names.h"
#include "engine/platform.h"

namespace {

constexpr uint32_t kKeys = 255;
constexpr wchar_t kMarkerText[] = {static_cast<wchar_t>(kMarkerKey), 0};

}  // namespace

const wchar_t* GetKeyText(uint32_t code) {
    // The key-name tables of the settings text, plus the marker key in both layers.
    const uint32_t vk = code & ~kKeyTextShifted;
    if (vk >= kKeys) return L"";
    if (vk == kMarkerKey) return kMarkerText;
    return (code & kKeyTextShifted) ? shiftedKeyNames[static_cast<int>(vk)]
                                    : plainKeyNames[static_cast<int>(vk)];
}

const wchar_t* GetMarkerKeyText() {
    const bool shift = Platform().keyState(VK_SHIFT) < 0;
    return GetKeyText(kMarkerKey | (shift ? kKeyTextShifted : 0));
}
