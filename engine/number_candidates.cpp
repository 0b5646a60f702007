#include "engine/number_candidates.h"

#include "core/table/list_table.h"
#include "engine/effective_settings.h"
#include "engine/list_search.h"
#include "engine/lookup.h"
#include "engine/number_texts.h"

namespace {

constexpr uint32_t kNumberWeight = 0xEEEEEE;

// '0'..'9' or '.' of a key byte (keypad digits and point included); 0 for anything else.
char NumberChar(uint8_t b) {
    if (b >= '0' && b <= '9') return static_cast<char>(b);
    if (b == '.') return '.';
    if (b >= 0x10 && b <= 0x19) return static_cast<char>('0' + (b - 0x10));
    if (b == 0x0E) return '.';
    return 0;
}

// A letter a..j after digits picks that row of the page shown before this lookup.
bool PickRow(Engine* e, uint8_t letter) {
    int64_t row = letter - 'a';
    if (row >= e->page.rowCount || row >= kPageRows || e->candidateCount != 0) return false;
    int64_t index = e->page.rowCandidate[row];
    if (index < 0 || index >= kMaxCandidates) return false;
    e->candidates[0] = e->candidates[index];
    e->candidateCount = 1;
    e->page.highlight = row;
    return true;
}

// English completion of the code after its lead, added to what the lookup found so far.
void CompleteEnglish(Engine* e) {
    InputState& in = e->input;
    const wchar_t* code = in.code + 1;
    int units = static_cast<int>(in.codeLength > kMaxCodeUnits ? kMaxCodeUnits : in.codeLength) - 1;
    int bytes =
        units > 0 ? CutUtf8Text(code, units, kSearchKeyBytes, in.searchKey.bytes, nullptr) : 0;
    in.searchKey.length = static_cast<uint8_t>(bytes > 0 ? bytes : 0);
    EngineRuntime::LookupAssociation(e, kListSearchTempEnglish);
    in.searchKey.length = 0;
    e->state |= kStateEnglishCompletion;
}

}  // namespace

int BuildNumberCandidates(Engine* e, const uint8_t* key) {
    if (!e || !key) return kLookupShown;
    uint32_t& options = e->lookup.inputOptions;
    options |= kInputNumberMode;
    if (e->input.codeLength > 1) options |= kInputNumberSoFar;
    char number[kKeyBufferBytes];
    size_t length = 0;
    bool digits = false;
    for (unsigned i = 1; i <= key[0] && i < kKeyBufferBytes; ++i) {
        char c = NumberChar(key[i]);
        if (c) {
            number[length++] = c;
            digits |= c != '.';
            continue;
        }
        uint8_t b = key[i];
        if (b >= 'a' && b <= 'j' && digits && (options & kInputNumberSoFar) && PickRow(e, b)) {
            return kLookupCommitFirst;
        }
        options &= ~kInputNumberSoFar;
        break;
    }
    if (!(options & kInputNumberSoFar)) {
        CompleteEnglish(e);
        return kLookupShown;
    }
    NumberTexts texts;
    ConvertNumber(number, length, &texts);
    uint32_t added = 0;
    for (int i = 0; i < kNumberTextCount && i < kNumberEntryCount; ++i) {
        auto* entry = reinterpret_cast<uint8_t*>(&e->numberEntries[i]);
        if (!FillNumberEntry(texts.text[i], entry, sizeof e->numberEntries[i])) continue;
        EngineRuntime::AddCandidate(e, entry, kKindTextEntry, kNumberWeight - added, 0);
        ++added;
    }
    // The window picks these with the letters a-j.
    if (added) e->state |= kStateNumberCandidates;
    return kLookupShown;
}
