// The last 63 output characters in ImeConfigData (the text of the "last" macro).
#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"

namespace {

bool EndsSentence(wchar_t c) {
    return c == L'\n' || c == L'\r' || c == 0x2026 || c == 0x3002 || c == 0xFF01 || c == 0xFF1B ||
           c == 0xFF1F;
}

void Store(ImeConfigData* ime, const wchar_t* text, uint32_t n) {
    std::memmove(ime->lastOutput, text, sizeof(wchar_t) * n);
    std::memset(ime->lastOutput + n, 0, sizeof(wchar_t) * (kLastOutputUnits - n));
    std::memcpy(&ime->lastOutputCount, &n, sizeof n);
}

}  // namespace

int EngineRuntime::AppendOutputText(Engine* e, const wchar_t* text) {
    if (!e || !e->ime) return 0;
    uint32_t n;
    if (text) {
        n = static_cast<uint32_t>(wcsnlen(text, kLastOutputMax + 1));
    } else {
        text = e->input.pickedText;
        const uint32_t picked =
            e->input.pickedLength < kPickedUnits ? e->input.pickedLength : kPickedUnits;
        n = static_cast<uint32_t>(wcsnlen(text, picked));
        if (n > kLastOutputMax + 1) n = kLastOutputMax + 1;
    }
    if (n == 0) return 0;
    ImeConfigData* ime = e->ime;
    if (n >= kLastOutputMax) {
        // The buffer becomes the text's first 63 units, never half a surrogate pair.
        uint32_t take = kLastOutputMax;
        if (IsHighSurrogate(text[take - 1])) --take;
        Store(ime, text, take);
        return 0;
    }
    if (EndsSentence(text[0])) {
        Store(ime, text, 0);
        return 0;
    }
    wchar_t joined[2 * kLastOutputUnits];
    const uint32_t have = LastOutputCount(ime);
    std::memcpy(joined, ime->lastOutput, sizeof(wchar_t) * have);
    std::memcpy(joined + have, text, sizeof(wchar_t) * n);
    uint32_t total = have + n;
    uint32_t drop = total > kLastOutputMax ? total - kLastOutputMax : 0;
    if (drop < total && IsLowSurrogate(joined[drop])) ++drop;
    Store(ime, joined + drop, total - drop);
    return 0;
}
