// Table views and every lookup over a damaged table: code, code and word, key, prefix
// ranges, list and key/value searches, rule encoding, and the in-place sort and index.
#include <cstring>

#include "core/table/code_table.h"
#include "core/table/list_table.h"
#include "core/table/table_edit.h"
#include "core/table/table_format.h"
#include "engine/list_search.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/seeds.h"

namespace fuzz {
namespace {

std::vector<Bytes> TableSeeds(FuzzContext& c) {
    std::vector<Bytes> s;
    s.push_back(BuildMainTable(c, DefinitionText()));
    s.push_back(BuildMainTable(c, KeypadDefinitionText()));
    s.push_back(BuildListTable(c, ListText()));
    s.push_back(BuildKeyValueTable(KeyValueText()));
    s.push_back(BuildTempTable(c, KeypadDefinitionText()));
    return s;
}

bool TakeAll(void* context, const uint8_t* entry, uint32_t weight) {
    auto* n = static_cast<uint64_t*>(context);
    *n += entry[4] + weight;
    return true;
}

// A code-and-word record made of a code and a word (length-prefixed each).
void MakeRecord(const uint8_t* code, const uint8_t* word, uint8_t* out) {
    std::memcpy(out, code, 1u + code[0]);
    std::memcpy(out + 1 + code[0], word, 1u + word[0]);
}

void SearchWith(MappedFile* t, const uint8_t* code, const uint8_t* word) {
    uint8_t record[520];
    MakeRecord(code, word, record);
    CodeTable::FindEntry(t, record);
    CodeTable::FindCode(t, code);
    for (int bytes = 1; bytes <= 2; ++bytes) {
        const PositionRange r = CodeTable::PrefixBounds(t, code, bytes);
        CodeTable::FindCode(t, code, CompareLengthPrefixed, r);
    }
    const PositionRange list = FindListRange(t, code);
    (void)list;
    uint64_t sink = 0;
    for (uint32_t flags : {0u, kListSearchAppendHash, kListSearchTempEnglish,
                           kListSearchAssociation | kListSearchWeightByLength}) {
        ForEachListMatch(t, code, flags, TakeAll, &sink);
        SearchListKey(t, code, flags, TakeAll, &sink);
    }
    // The code as text, for the key/value search.
    wchar_t text[260];
    int n = 0;
    for (int i = 0; i < code[0] && n < 250; ++i) text[n++] = code[1 + i];
    text[n] = 0;
    KeyMatchList* matches = nullptr;
    if (CodeTable::FindByKey(t, text, &matches) > 0) {
        for (int32_t i = 0; i < matches->count; ++i) sink += matches->entries[i][4];
    }
    FreeKeyMatchList(matches);
    const uint16_t rule[] = {0x0101, 0x0102, 0x0201, 0x0200, 0x8101, 0x1E01, 0};
    wchar_t out[kRuleCodeUnits];
    EncodeWordByRules(t, rule, L"中国人", out);
    EncodeWordByRules(t, rule, L"\xD83D\xDE00", out);
}

void RunTable(const uint8_t* data, size_t size, FuzzContext& c) {
    MemoryTable m(const_cast<uint8_t*>(data), size);
    MappedFile* t = m.get();
    const TableView v = MakeTableView(t);
    // Keys taken from the entries the view vouches for, and some of our own.
    const uint8_t fixed[][8] = {{1, 'a'}, {2, 'a', 'b'}, {2, 0x15, 0x16},
                                {0},      {1, 0x11},     {2, 'z', 'z'}};
    const uint8_t word[] = {3, 0xE4, 0xB8, 0xAD};
    for (const auto& k : fixed) SearchWith(t, k, word);
    if (v.valid() && v.count > 0) ++c.deep;
    if (v.valid()) {
        const int32_t step = v.count > 8 ? v.count / 8 : 1;
        for (int32_t pos = 0; pos < v.count; pos += step) {
            const uint8_t* e = v.EntryAt(pos);
            if (!e) continue;
            uint8_t code[257];
            std::memcpy(code, e + 4, 1u + e[4]);
            // The word only when the entry holds one.
            uint8_t w[257] = {0};
            if (v.HoldsCodeEntries()) std::memcpy(w, EntryWord(e), 1u + EntryWord(e)[0]);
            SearchWith(t, code, w);
        }
        for (int a : {0, int{'a'}, 0x11, 127})
            for (int b : {0, 1, int{'b'}, 127}) v.IndexCell(a, b);
    }
    // Order and index restore on the damaged copy, then the same searches again.
    CodeTable::Sort(t);
    CodeTable::RebuildPrefixIndex(t);
    ListTableSort(t);
    for (const auto& k : fixed) SearchWith(t, k, word);
}

const bool registered = RegisterTarget({"table-lookup",
                                        InputShape::kBinary,
                                        3000,
                                        TableSeeds,
                                        RunTable,
                                        {{0, 160}, {65692, 65692 + 4 * 64}, {67744, 67744 + 1040}},
                                        false});

}  // namespace
}  // namespace fuzz
