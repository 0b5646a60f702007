#include "installer/app/installer_state.h"

#include <cstring>
#include <cwchar>

void ClearInstallerState(InstallerState* state) { std::memset(state, 0, sizeof *state); }

namespace {

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// digits hex digits of text as a number; false on any other character.
bool ReadHex(const wchar_t* text, int digits, uint32_t* out) {
    uint32_t v = 0;
    for (int i = 0; i < digits; ++i) {
        int h = HexValue(text[i]);
        if (h < 0) return false;
        v = v << 4 | static_cast<uint32_t>(h);
    }
    *out = v;
    return true;
}

}  // namespace

bool ParseGuidText(const wchar_t* text, GUID* guid) {
    if (!text || wcsnlen(text, kGuidTextChars + 1) != kGuidTextChars) return false;
    if (text[0] != L'{' || text[37] != L'}') return false;
    if (text[9] != L'-' || text[14] != L'-' || text[19] != L'-' || text[24] != L'-') return false;
    GUID g{};
    uint32_t v;
    if (!ReadHex(text + 1, 8, &v)) return false;
    g.Data1 = v;
    if (!ReadHex(text + 10, 4, &v)) return false;
    g.Data2 = static_cast<uint16_t>(v);
    if (!ReadHex(text + 15, 4, &v)) return false;
    g.Data3 = static_cast<uint16_t>(v);
    static constexpr int kBytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text + kBytePos[i], 2, &v)) return false;
        g.Data4[i] = static_cast<uint8_t>(v);
    }
    if (guid) *guid = g;
    return true;
}
