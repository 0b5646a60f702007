#include "core/tabletools/table_entry_text.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_text.h"

namespace TableEntry {

uint8_t* FromText(wchar_t* codePart, const wchar_t* word, CodeEncoder encoder) {
    if (!codePart || !word) return nullptr;
    TableTags tags;
    ParseTableTags(codePart, wcslen(codePart), kImporterTagOrder, kTableTagCount, false, &tags);

    uint32_t order = 0, cls = 0;
    if (tags.has(TableTag::kOrder)) order = static_cast<uint32_t>(tags.order) & kOrderMask;
    if (tags.has(TableTag::kCategory)) {
        int32_t n = tags.category;
        cls = n <= 0 ? 16u : n > 16 ? 31u : static_cast<uint32_t>(n + 15);
    }
    if (tags.has(TableTag::kUser)) cls = kClassUser;
    if (tags.has(TableTag::kSecondary)) cls = kClassSecondary;
    if (tags.has(TableTag::kAux)) cls = kClassAuxCode;
    uint32_t flags = ComposeFlags(order, cls, tags.has(TableTag::kPinned));
    if (tags.has(TableTag::kDelete)) flags |= kFlagDeleted;

    uint8_t code[1 + 255];
    uint8_t text[1 + 255];
    int codeBytes = (encoder ? encoder : EncodeKeypadCode)(codePart, code, sizeof code);
    int wordBytes = EncodeLengthPrefixedUtf8(word, text, sizeof text);
    // Both whole, neither empty.
    if (codeBytes < 2 || codeBytes > 1 + kMaxLengthPrefixedBytes || code[0] + 1 != codeBytes)
        return nullptr;
    if (wordBytes < 2 || text[0] + 1 != wordBytes) return nullptr;

    auto* e = static_cast<uint8_t*>(std::malloc(4 + codeBytes + wordBytes));
    if (!e) return nullptr;
    StoreU32(e, flags);
    std::memcpy(e + 4, code, codeBytes);
    std::memcpy(e + 4 + codeBytes, text, wordBytes);
    return e;
}

}  // namespace TableEntry
