#include "engine/commit_history.h"

#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/record/engine.h"
#include "core/table/table_format.h"
#include "engine/candidate_entry.h"

namespace {

constexpr uint32_t kStateEnglishAny = kStateEnglishMode | kStateTempEnglish;
constexpr char kCommandPrefix[] = "$kxcmd";
constexpr uint32_t kCommandPrefixBytes = 6;

// Units of text that fit units without splitting a surrogate pair.
int WholeCharUnits(const wchar_t* text, int length, int units) {
    if (length <= units) return length;
    return UnitsWithoutCutPair(text, units);
}

}  // namespace

uint32_t HistoryCount(const ImeConfigData* ime) { return ime ? RecentCount(ime) : 0; }

bool ReadRuleTerm(uint16_t term, int chars, int* character, int* position) {
    if (term & kTermFromBack) return false;
    const int k = term >> kTermPositionShift;
    if (k < 1 || k > kMaxRulePhraseChars || k > chars) return false;
    *character = k;
    *position = term & kTermIndexMask;
    return true;
}

int DecodeHistoryCode(const uint8_t* code, wchar_t* out, int capacity) {
    if (!code || !out || capacity < 1) return -1;
    out[0] = 0;
    const int n = Utf8ToUtf16(reinterpret_cast<const char*>(code + 1), code[0], out, capacity);
    if (n < 0) {
        out[0] = 0;
        return -1;
    }
    const int units = n < capacity ? n : capacity - 1;
    for (int i = 0; i < units; ++i)
        if (out[i] < 0x20) out[i] = static_cast<wchar_t>(0xFF00 + out[i]);
    out[units] = 0;
    return units;
}

void FillCodeSlots(RecentOutput* r, int chars, const wchar_t* code, int codeUnits,
                   const WordRule* rule) {
    std::memset(r->codes, 0, sizeof r->codes);
    if (chars == 1) {
        const int n = codeUnits < kRecentCodeUnits ? codeUnits : kRecentCodeUnits;
        std::memcpy(r->codes[0], code, sizeof(wchar_t) * n);
        return;
    }
    if (chars < kMinRulePhraseChars || chars > kMaxRulePhraseChars || !rule) return;
    int next = 0;
    for (int t = 0; t < kWordRuleTerms && rule->terms[t] != 0 && next < codeUnits; ++t) {
        int k, pos;
        if (!ReadRuleTerm(rule->terms[t], chars, &k, &pos)) continue;
        wchar_t* slot = r->codes[k - 1];
        if (pos == 0) {
            // The rest of the code, as far as the slot holds it, and the walk ends.
            int rest = codeUnits - next;
            if (rest > kRecentCodeUnits - 1) rest = kRecentCodeUnits - 1;
            std::memcpy(slot, code + next, sizeof(wchar_t) * rest);
            break;
        }
        if (pos < kRecentCodeUnits) slot[pos - 1] = code[next];
        ++next;
    }
}

int EngineRuntime::RememberCommit(Engine* e, int64_t index) {
    if (!e || !e->ime) return 0;
    if (e->state & (kStateEnglishAny | kStateAssociation)) return 0;
    if (index < 0 || index >= e->candidateCount || index >= kMaxCandidates) return 0;
    const uint8_t* entry = CodeTableEntryOf(e, e->candidates[index]);
    if (!entry) return 0;
    const uint8_t* code = EntryCode(entry);
    const uint8_t* word = EntryWord(entry);
    const uint32_t wordBytes = word[0];
    if (EntryClassOf(LoadU32(entry)) == kClassAuxCode) return 0;
    if (code[0] == 0 || wordBytes == 0 || wordBytes > kMaxHistoryWordBytes) return 0;
    if (wordBytes > 5 && std::memcmp(word + 1, kCommandPrefix, kCommandPrefixBytes) == 0) return 0;

    wchar_t text[kMaxHistoryWordBytes + 1];
    const int units = Utf8ToUtf16(reinterpret_cast<const char*>(word + 1), wordBytes, text,
                                  kMaxHistoryWordBytes + 1);
    if (units <= 0) return 0;
    // The record's text stays NUL-terminated: at most 35 units.
    const int kept = WholeCharUnits(text, units, kRecentTextUnits - 1);
    const int chars = Utf16CharCount(text, kept);
    if (chars <= 0) return 0;
    wchar_t codeText[256];
    const int codeUnits = DecodeHistoryCode(code, codeText, 256);
    if (codeUnits <= 0) return 0;

    uint32_t count = HistoryCount(e->ime);
    if (count == kRecentOutputSlots) {
        std::memmove(&e->ime->recentOutputs[0], &e->ime->recentOutputs[1],
                     sizeof(RecentOutput) * (kRecentOutputSlots - 1));
        count = kRecentOutputSlots - 1;
    }
    RecentOutput* r = &e->ime->recentOutputs[count];
    std::memset(r, 0, sizeof *r);
    std::memcpy(r->text, text, sizeof(wchar_t) * kept);
    const int bytes = Utf16ToUtf8(r->text, kept, nullptr, 0);
    r->utf8Length = static_cast<uint8_t>(bytes > 0 && bytes < 256 ? bytes : 0);
    r->charCount = static_cast<uint8_t>(chars);
    const WordRule* rule = chars >= kMinRulePhraseChars && chars <= kMaxRulePhraseChars && e->dme
                               ? &e->dme->wordRules[chars]
                               : nullptr;
    FillCodeSlots(r, chars, codeText, codeUnits, rule);
    const uint32_t newCount = count + 1;
    std::memcpy(&e->ime->recentCount, &newCount, sizeof newCount);
    return 1;
}
