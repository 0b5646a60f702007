// The table sections of the settings text: key functions, word rules, symbols, key roots.
#include <cstring>
#include <string>
#include <string_view>

#include "core/base/text_convert.h"
#include "core/settings/key_names.h"
#include "core/settings/settings_import.h"
#include "core/settings/settings_text.h"

namespace {

using std::wstring_view;

// Stores text into a field of units units, cut to units - 1 but never inside a surrogate
// pair, zero behind.
void StoreField(wchar_t* field, int units, wstring_view text) {
    size_t n = text.size() < static_cast<size_t>(units - 1) ? text.size() : units - 1;
    if (n < text.size()) n = UnitsWithoutCutPair(text.data(), static_cast<int>(n));
    if (n) std::memcpy(field, text.data(), n * sizeof(wchar_t));
    std::memset(field + n, 0, (units - n) * sizeof(wchar_t));
}

// The record a one-character key selects, -1 for none.
int RecordOfKey(wstring_view key) { return key.size() == 1 ? SettingsKeyRecord(key) : -1; }

// Decimal digits at text[i...]; -1 when there are none or the number passes limit.
int ReadNumber(wstring_view text, size_t& i, int limit) {
    if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return -1;
    int n = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
        n = n * 10 + (text[i++] - L'0');
        if (n > limit) return -1;
    }
    return n;
}

void MarkKind(ImeConfigData* ime, wstring_view chars, uint16_t kind) {
    for (wchar_t c : chars) {
        if (c == 127) continue;
        const int r = SettingsKeyRecord(wstring_view(&c, 1));
        if (r >= 0) ime->symbols[r].kind = kind;
    }
}

int FailRule(WordRule& rule) {
    std::memset(&rule, 0, sizeof rule);
    return 0;
}

}  // namespace

void ParseKeyFunctionLine(DmeConfigData* dme, wstring_view key, wstring_view value) {
    if (!dme) return;
    const KeyCombination code = ParseKeyCombination(key);
    if (!IsStorableKeyCombination(code)) return;
    const KeyFunctionMask mask = ParseKeyFunctionNames(value);
    if (IsNamedKey(code)) {
        const int v = static_cast<int>(code & keycombo::kKeyMask);
        if (code & keycombo::kShift)
            dme->keys.shiftedKeys[v] = mask;
        else
            dme->keys.plainKeys[v] = mask;
        return;
    }
    const uint32_t count = ComboCount(dme);
    for (uint32_t i = 0; i < count; ++i) {
        if (dme->combos[i].combination == code) {
            dme->combos[i].functions = mask;
            return;
        }
    }
    if (count < kMaxCombos) {
        dme->combos[count] = {code, mask};
        dme->comboCount = static_cast<uint8_t>(count + 1);
    }
}

int ParseWordRule(DmeConfigData* dme, wstring_view text) {
    if (!dme) return 0;
    WordRule& rule = dme->wordRules[0];
    std::memset(&rule, 0, sizeof rule);
    size_t i = 0;
    if (text.empty() || (text[0] != L'P' && text[0] != L'p')) return 0;
    ++i;
    const int n = ReadNumber(text, i, kMaxRuleChars);
    if (n < kMinRuleChars || i >= text.size() || text[i] != L'=') return 0;
    ++i;
    int t = 0;
    while (i < text.size()) {
        if (text[i] == L'+' && ++i == text.size()) break;
        const wchar_t side = text[i++];
        const bool fromRight = side == L'R' || side == L'r';
        if (!fromRight && side != L'L' && side != L'l') return FailRule(rule);
        int pos = ReadNumber(text, i, kMaxRuleChars);
        if (pos < 1) return FailRule(rule);
        // A position from the right must lie inside the word.
        if (fromRight) pos = pos <= n ? n - pos + 1 : 0;
        if (pos < 1 || i >= text.size()) return FailRule(rule);
        const wchar_t end = text[i++];
        const bool fromBack = end == L'F' || end == L'f';
        if (!fromBack && end != L'B' && end != L'b') return FailRule(rule);
        const int index = ReadNumber(text, i, 0xFFFFFF);
        if (index < 0 || t >= kWordRuleTerms - 1) return FailRule(rule);
        rule.terms[t++] =
            static_cast<uint16_t>((pos << kTermPositionShift) | (index & kTermIndexMask) |
                                  (fromBack ? kTermFromBack : 0));
    }
    return n;
}

void ParseWordRuleLine(DmeConfigData* dme, wstring_view key, wstring_view value) {
    if (!dme) return;
    std::wstring text(key);
    text += L'=';
    text += value;
    if (text.size() > kMaxWordRuleText) text.resize(kMaxWordRuleText);
    const int n = ParseWordRule(dme, text);
    if (n >= kMinRuleChars && n <= kMaxRuleChars) dme->wordRules[n] = dme->wordRules[0];
}

void ParseSymbolTableLine(ImeConfigData* ime, wstring_view key, wstring_view value) {
    if (!ime) return;
    if (key == kSmartPunctKey) return MarkKind(ime, value, kSymbolSmart);
    if (key == kCaretLeftPunctKey) return MarkKind(ime, value, kSymbolCaretLeft);
    const int r = RecordOfKey(key);
    if (r < 0) return;
    SymbolRecord& rec = ime->symbols[r];
    std::memset(&rec, 0, sizeof rec);
    const size_t comma = value.size() > 1 ? value.find(L',', 1) : wstring_view::npos;
    if (comma != wstring_view::npos) {
        rec.kind = kSymbolPair;
        StoreField(rec.slots + kSymbolPairFirst, kSymbolPairUnits, value.substr(0, comma));
        StoreField(rec.slots + kSymbolPairSecond, kSymbolPairUnits, value.substr(comma + 1));
    } else {
        rec.kind = kSymbolText;
        StoreField(rec.slots, kSymbolTextUnits, value);
    }
}

void ParseKeyRootLine(ImeConfigData* ime, wstring_view key, wstring_view value) {
    if (!ime) return;
    if (key == kUseKeyRootsKey) {
        if (value.substr(0, 1) == L"是")
            ime->features |= kFeatKeyRoots;
        else
            ime->features &= ~kFeatKeyRoots;
        return;
    }
    const int r = RecordOfKey(key);
    if (r < 0) return;
    constexpr int kUnits = sizeof(KeyRootRecord) / sizeof(wchar_t);
    StoreField(ime->keyRoots[r].text, kUnits, value);
}
