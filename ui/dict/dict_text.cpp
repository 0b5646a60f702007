#include "ui/dict/dict_text.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "core/base/text_convert.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"

namespace {

bool IsCommandText(const wchar_t* text, size_t length) {
    const std::wstring_view t(text, length);
    for (const wchar_t* lead : {L"run(", L"help(", L"set(", L"convert(", L"skbd(", L"config("})
        if (t.starts_with(lead)) return true;
    return t.find(L"keyboard(") != std::wstring_view::npos ||
           t.find(L"newkey(") != std::wstring_view::npos;
}

// The first value stored for key, or nothing.
bool FindValue(const MappedFile* dict, const std::wstring& key, std::wstring* value) {
    if (!dict || key.empty()) return false;
    KeyMatchList* matches = nullptr;
    const int32_t n = CodeTable::FindByKey(dict, key.c_str(), &matches);
    bool found = false;
    if (n > 0 && matches && matches->count > 0) {
        const uint8_t* entry = matches->entries[0];
        const uint32_t total = LoadU32(entry);
        const uint32_t keyLength = entry[4];
        if (total >= keyLength + 3) {
            const uint32_t valueLength = total - keyLength - 3;
            std::vector<wchar_t> text(kDictTextChars + 2);
            const int units =
                Utf8ToUtf16(reinterpret_cast<const char*>(KeyValueValue(entry)),
                            static_cast<int>(valueLength), text.data(), kDictTextChars + 1);
            if (units >= 0) {
                value->assign(text.data(), std::wcslen(text.data()));
                found = true;
            }
        }
    }
    if (matches) FreeKeyMatchList(matches);
    return found;
}

}  // namespace

std::wstring DictLookupKey(const Engine* e, int64_t candidate) {
    if (!e || candidate < 0) return {};
    for (int r = 0; r < kPageRows && r < e->page.rowCount; ++r) {
        if (e->page.rowCandidate[r] != candidate) continue;
        const PageRow& text = e->page.rowText[r];
        const PageRow& second = e->page.rowCommit[r];
        const size_t secondLength = std::min<size_t>(second.length, kRowTextUnits);
        const bool useText = secondLength == 0 || IsCommandText(second.text, secondLength);
        const PageRow& row = useText ? text : second;
        std::wstring key(row.text, std::min<size_t>(row.length, kRowTextUnits));
        if (key.size() > kDictKeyChars) key.resize(kDictKeyChars);
        return key;
    }
    return {};
}

std::wstring StripDictKey(const std::wstring& key) {
    std::wstring out;
    for (wchar_t c : key) {
        const unsigned u = c;
        if (u <= 64 || (u >= 91 && u <= 96) || (u >= 123 && u <= 254)) continue;
        out += c;
    }
    return out;
}

std::wstring DictionaryText(const MappedFile* dict, const std::wstring& key) {
    std::wstring value;
    bool found = FindValue(dict, key, &value);
    if (!found) {
        const std::wstring stripped = StripDictKey(key);
        found =
            FindValue(dict, stripped.empty() ? std::wstring(kDictFallbackKey) : stripped, &value);
    }
    if (!found) return key;
    const size_t cut = value.find(L"\r\n \r\n");
    if (cut != std::wstring::npos) value.resize(cut);
    if (value.size() > kDictTextChars) value.resize(kDictTextChars);
    return value;
}

namespace {

// Pulled back inside [low, high - extent] when the window fits there.
LONG Inside(LONG at, LONG extent, LONG low, LONG high) {
    if (high - low < extent) return at;
    return std::max(low, std::min(at, high - extent));
}

}  // namespace

POINT PlaceDictWindow(bool rows, const RECT& cand, POINT word, const RECT& work, SIZE size) {
    LONG x, y;
    if (!rows) {
        x = cand.left + word.x - 10;
        const LONG middle = work.top + (work.bottom - work.top) / 2;
        y = cand.bottom < middle ? cand.bottom + 5 : cand.top - size.cy - 5;
    } else {
        y = cand.top + word.y - 10;
        const LONG fourFifths = work.left + (work.right - work.left) * 4 / 5;
        x = cand.right < fourFifths ? cand.right + 5 : cand.left - size.cx - 5;
    }
    return {Inside(x, size.cx, work.left, work.right), Inside(y, size.cy, work.top, work.bottom)};
}

std::wstring DictLinkParameters(const wchar_t* guidText, const std::wstring& key) {
    return std::wstring(L"/n ") + (guidText ? guidText : L"") + L" /dict '" + key + L"'";
}
