#include "engine/phrase_learning.h"

#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/record/engine.h"
#include "core/table/code_table.h"
#include "core/tabletools/table_text.h"
#include "engine/commit_history.h"
#include "engine/temp_words.h"

namespace {

constexpr int kCharCodeUnits = 64;

// The phrase joined from the last records: its text, where each character starts, and the
// remembered code slot of each character.
struct Phrase {
    wchar_t text[kMaxPhraseUnits + 1];
    int units = 0;
    int chars = 0;
    int records = 0;
    int charStart[kMaxRulePhraseChars + 1];
    const wchar_t* slots[kMaxRulePhraseChars];
};

// Joins records [first, count) oldest first; stops before a record that would take the
// phrase past 16 characters or 29 units, so no record (and no pair) is ever cut.
void JoinRecords(const ImeConfigData* ime, uint32_t first, uint32_t count, Phrase* p) {
    for (uint32_t i = first; i < count; ++i) {
        const RecentOutput& r = ime->recentOutputs[i];
        const int len = static_cast<int>(wcsnlen(r.text, kRecentTextUnits));
        const int chars = Utf16CharCount(r.text, len);
        if (chars < 0) break;
        if (p->chars + chars > kMaxRulePhraseChars || p->units + len > kMaxPhraseUnits) break;
        for (int u = 0, k = 0; u < len; ++k) {
            p->charStart[p->chars + k] = p->units + u;
            p->slots[p->chars + k] = r.codes[k];
            u += IsHighSurrogate(r.text[u]) && u + 1 < len ? 2 : 1;
        }
        std::memcpy(p->text + p->units, r.text, sizeof(wchar_t) * len);
        p->units += len;
        p->chars += chars;
        ++p->records;
    }
    p->text[p->units] = 0;
    p->charStart[p->chars] = p->units;
}

// First code of a character in danzi.dmi (the entry stored earliest); 0 units when none.
int CharCodeFromTable(const MappedFile* table, const wchar_t* ch, int chUnits,
                      wchar_t (&out)[kCharCodeUnits + 1]) {
    out[0] = 0;
    wchar_t key[3] = {ch[0], chUnits > 1 ? ch[1] : L'\0', 0};
    KeyMatchList* list = nullptr;
    if (CodeTable::FindByKey(table, key, &list) <= 0 || !list) {
        FreeKeyMatchList(list);
        return 0;
    }
    const uint8_t* e = list->entries[0];
    const uint32_t l = LoadU32(e);
    const uint32_t keyLen = e[4];
    if (l < keyLen + 3) {
        FreeKeyMatchList(list);
        return 0;
    }
    const int valueBytes = static_cast<int>(l - keyLen - 3);
    int n = Utf8ToUtf16(reinterpret_cast<const char*>(KeyValueValue(e)), valueBytes, out,
                        kCharCodeUnits + 1);
    FreeKeyMatchList(list);
    if (n < 0) n = 0;
    if (n > kCharCodeUnits) n = kCharCodeUnits;
    out[n] = 0;
    return n;
}

// Code of the phrase along rule; 0 when the phrase is abandoned or the code is empty.
int BuildPhraseCode(const Engine* e, const Phrase& p, const WordRule& rule, bool smart,
                    wchar_t (&code)[kMaxPhraseCodeUnits + 1]) {
    wchar_t cache[kMaxRulePhraseChars][kCharCodeUnits + 1];
    int cached[kMaxRulePhraseChars];
    for (int& c : cached) c = -1;
    int n = 0;
    for (int t = 0; t < kWordRuleTerms && rule.terms[t] != 0 && n < kMaxPhraseCodeUnits; ++t) {
        int k, pos;
        if (!ReadRuleTerm(rule.terms[t], p.chars, &k, &pos)) continue;
        const wchar_t* cc;
        int len;
        if (smart) {
            cc = p.slots[k - 1];
            len = static_cast<int>(wcsnlen(cc, kRecentCodeUnits));
            // A hole in a remembered slot abandons the phrase.
            if (pos > 0 && (pos > kRecentCodeUnits || cc[pos - 1] == 0)) return 0;
        } else {
            if (cached[k - 1] < 0) {
                const int at = p.charStart[k - 1];
                cached[k - 1] =
                    CharCodeFromTable(e->charTable, p.text + at, p.charStart[k] - at, cache[k - 1]);
            }
            cc = cache[k - 1];
            len = cached[k - 1];
            if (pos > len) continue;
        }
        if (pos == 0) {
            for (int i = 0; i < len && n < kMaxPhraseCodeUnits; ++i) code[n++] = cc[i];
        } else {
            code[n++] = cc[pos - 1];
        }
    }
    code[n] = 0;
    return n;
}

// Adds the phrase to temp.dmg unless either table already holds it; 1 when added.
int OfferPhrase(Engine* e, const Phrase& p, const wchar_t* code) {
    uint8_t entry[4 + 1 + kMaxLengthPrefixedBytes + 1 + kMaxLengthPrefixedBytes];
    StoreU32(entry, kLearnedPhraseFlags);
    const int codeBytes = EncodeKeypadCode(code, entry + 4, kMaxLengthPrefixedBytes + 1);
    if (codeBytes <= 1) return 0;
    const int wordBytes =
        EncodeLengthPrefixedUtf8(p.text, entry + 4 + codeBytes, kMaxLengthPrefixedBytes + 1);
    if (wordBytes <= 1) return 0;
    const uint8_t* key = entry + 4;
    if (CodeTable::FindEntry(e->mainTable, key) > 0) return 0;
    if (CodeTable::FindEntry(e->tempTable, key) > 0) return 0;
    return CodeTable::InsertTemp(e->tempTable, entry);
}

}  // namespace

int LearnTempPhrases(Engine* e) {
    if (!e || !e->ime || !e->dme || !e->tempTable) return 0;
    const uint32_t options = e->ime->options;
    if (!(options & kImeTempWords)) return 0;
    const bool smart = (options & kImeTempSmart) != 0;
    if (!smart && !e->charTable) return 0;
    const uint32_t count = HistoryCount(e->ime);
    if (count < 2) return 0;
    int added = 0;
    for (uint32_t n = 2; n <= 15 && n <= count; ++n) {
        Phrase p;
        JoinRecords(e->ime, count - n, count, &p);
        // One record alone is a word already committed, not a phrase.
        if (p.records < 2 || p.chars < kMinRulePhraseChars || p.chars > kMaxRulePhraseChars) break;
        const WordRule& rule = e->dme->wordRules[p.chars];
        if (rule.terms[0] == 0) continue;
        wchar_t code[kMaxPhraseCodeUnits + 1];
        if (BuildPhraseCode(e, p, rule, smart, code) <= 0) continue;
        added += OfferPhrase(e, p, code);
    }
    return added;
}

int EngineRuntime::LearnPhrase(Engine* e) {
    LearnTempPhrases(e);
    return 0;
}
