// Association after a commit and English completion, both over the list tables.
#include "engine/association.h"

#include <cstring>

#include "core/record/engine.h"
#include "core/table/list_table.h"
#include "engine/list_search.h"

namespace {

// Takes a list match straight into the candidate array: list entries carry a weight word,
// not flags, so the class filter does not apply.
bool AddListCandidate(void* context, const uint8_t* entry, uint32_t weight) {
    Engine* e = static_cast<Engine*>(context);
    if (e->candidateCount < 0 || e->candidateCount >= kListCandidateLimit ||
        e->candidateCount >= kMaxCandidates)
        return false;
    Candidate& c = e->candidates[e->candidateCount++];
    c.entry = entry;
    c.kind = kKindListEntry;
    c.weight = weight;
    std::memset(c.hint, 0, sizeof c.hint);
    return true;
}

}  // namespace

int32_t SearchListTable(Engine* engine, const uint8_t* key, uint32_t flags) {
    if (!engine) return 0;
    const MappedFile* table =
        (flags & kListSearchEnglish) ? engine->englishTable : engine->associationTable;
    if (!table) return 0;
    return SearchListKey(table, key, flags, AddListCandidate, engine);
}

int64_t EngineRuntime::LookupAssociation(Engine* engine, uint32_t flags) {
    if (!engine) return 0;
    const SearchKey& key = engine->input.searchKey;
    if (key.length == 0 || key.length > kSearchKeyBytes) return engine->candidateCount;
    uint8_t lengthPrefixed[1 + kSearchKeyBytes];
    lengthPrefixed[0] = key.length;
    std::memcpy(lengthPrefixed + 1, key.bytes, key.length);
    SearchListTable(engine, lengthPrefixed, flags);
    return engine->candidateCount;
}

int64_t EngineRuntime::ClearInputAndAssociate(Engine* engine) {
    if (!engine) return 0;
    // Both facts are read before the clear, which empties the picked text.
    const bool picked = engine->input.pickedLength > 0;
    const bool english = (engine->state & kStateEnglishMode) != 0;
    Engine::ResetInput(engine);
    const ImeConfigData* ime = engine->ime;
    if (!ime || !(ime->options & kImeAssociation) || !engine->associationTable || !picked ||
        english)
        return 0;
    uint32_t flags = kListSearchAssociation;
    if (ime->features & kFeatAssocHashForm) flags |= kListSearchAppendHash;
    return LookupAssociation(engine, flags);
}

int64_t EngineRuntime::LookupTempEnglish(Engine* engine) {
    if (!engine) return 0;
    engine->candidateCount = 0;
    InputState& in = engine->input;
    const wchar_t* code = in.code;
    int units = static_cast<int>(in.codeLength > kMaxCodeUnits ? kMaxCodeUnits : in.codeLength);
    const uint8_t lead = engine->dme ? engine->dme->tempEnglishLead : 0;
    if (units > 0 && lead != 0 && code[0] == static_cast<wchar_t>(lead)) {
        ++code;
        --units;
    }
    int bytes = CutUtf8Text(code, units, kSearchKeyBytes, in.searchKey.bytes, nullptr);
    in.searchKey.length = static_cast<uint8_t>(bytes > 0 ? bytes : 0);
    LookupAssociation(engine, kListSearchTempEnglish);
    in.searchKey.length = 0;
    FinishCandidates(engine);
    return engine->candidateCount;
}
