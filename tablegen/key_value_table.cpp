#include "tablegen/key_value_table.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "core/base/mapped_file.h"
#include "core/base/text_convert.h"
#include "core/table/table_format.h"

namespace {

constexpr size_t kMaxKeyBytes = 255;

bool PairsWhole(const wchar_t* text, int units) {
    for (int i = 0; i < units; ++i) {
        const wchar_t c = text[i];
        if (CharUnitsAt(text + i, units - i) == 2) {
            ++i;
        } else if (IsSurrogate(c)) {
            return false;
        }
    }
    return true;
}

// UTF-8 of units of text; false on a broken surrogate.
bool ToUtf8(const wchar_t* text, int units, std::string& out) {
    if (!PairsWhole(text, units)) return false;
    int n = Utf16ToUtf8(text, units, nullptr, 0);
    if (n < 0) return false;
    out.assign(static_cast<size_t>(n) + 1, '\0');
    Utf16ToUtf8(text, units, out.data(), n + 1);
    out.resize(static_cast<size_t>(n));
    return true;
}

std::wstring Unescape(const wchar_t* p, const wchar_t* end) {
    std::wstring out;
    out.reserve(static_cast<size_t>(end - p));
    for (; p < end; ++p) {
        if (*p == L'\\' && p + 1 < end) {
            switch (p[1]) {
                case L'\\':
                    out += L'\\';
                    ++p;
                    continue;
                case L'r':
                    out += L"\r\n";
                    ++p;
                    continue;
                case L't':
                    out += L'\t';
                    ++p;
                    continue;
                case L's':
                    out += L' ';
                    ++p;
                    continue;
                default:
                    break;
            }
        }
        out += *p;
    }
    return out;
}

bool ParseLine(const wchar_t* line, const wchar_t* end, KeyValueItem& item) {
    const wchar_t* tab = std::find(line, end, L'\t');
    if (tab == line || tab == end || tab + 1 == end) return false;
    std::wstring value = Unescape(tab + 1, end);
    if (!ToUtf8(line, static_cast<int>(tab - line), item.key) ||
        !ToUtf8(value.c_str(), static_cast<int>(value.size()), item.value))
        return false;
    return !item.key.empty() && item.key.size() <= kMaxKeyBytes && !item.value.empty();
}

}  // namespace

KeyValueParse ParseKeyValueText(const wchar_t* text, size_t units) {
    KeyValueParse result;
    const wchar_t* p = text;
    const wchar_t* end = text + units;
    while (p < end) {
        while (p < end && (*p == L'\r' || *p == L'\n')) ++p;
        const wchar_t* line = p;
        while (p < end && *p != L'\r' && *p != L'\n' && *p != L'\0') ++p;
        const wchar_t* lineEnd = p;
        if (p < end && *p == L'\0') p = end;
        if (line == lineEnd) continue;
        if (lineEnd - line >= 2 && line[0] == L'/' && line[1] == L'/') {
            if (lineEnd - line < 3 || line[2] != L'/') continue;
            ++line;
        }
        KeyValueItem item;
        if (ParseLine(line, lineEnd, item)) {
            result.items.push_back(std::move(item));
        } else {
            if (result.rejected == 0) result.firstRejected.assign(line, lineEnd);
            ++result.rejected;
        }
    }
    return result;
}

std::vector<uint8_t> MakeKeyValueTableBytes(const std::vector<KeyValueItem>& items) {
    const uint64_t count = items.size();
    uint64_t total = FreshHeapStart(0) + 4 * count;
    for (const KeyValueItem& it : items) total += 4 + it.key.size() + it.value.size() + 3;
    if (total > static_cast<uint64_t>(kMaxMappedSize) || count > INT32_MAX) return {};

    std::vector<uint8_t> bytes(static_cast<size_t>(total), 0);
    TableFileHeader header{};
    header.heapStart = FreshHeapStart(static_cast<uint32_t>(count));
    header.count = static_cast<int32_t>(count);
    header.kind = kTableKindKeyValue;
    header.version = kTableVersion;
    std::memcpy(header.nameTag, "STRMB", 5);
    header.yesNo[0] = 'Y';
    header.yesNo[1] = 'N';
    std::memcpy(bytes.data(), &header, sizeof header);

    std::vector<uint32_t> offsets(items.size());
    uint32_t at = header.heapStart;
    for (size_t i = 0; i < items.size(); ++i) {
        const KeyValueItem& it = items[i];
        offsets[i] = at;
        uint8_t* e = bytes.data() + at;
        const uint32_t length = static_cast<uint32_t>(it.key.size() + it.value.size() + 3);
        StoreU32(e, length);
        e[4] = static_cast<uint8_t>(it.key.size());
        std::memcpy(e + 5, it.key.data(), it.key.size());
        std::memcpy(e + 6 + it.key.size(), it.value.data(), it.value.size());
        at += 4 + length;
    }
    // Keys hold no NUL, so a plain byte comparison orders them as NUL-terminated strings.
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const std::string& ka = items[a].key;
        const std::string& kb = items[b].key;
        return std::lexicographical_compare(
            ka.begin(), ka.end(), kb.begin(), kb.end(),
            [](char x, char y) { return static_cast<uint8_t>(x) < static_cast<uint8_t>(y); });
    });
    for (size_t i = 0; i < order.size(); ++i)
        StoreU32(bytes.data() + kOffsetArrayStart + 4 * i, offsets[order[i]]);
    return bytes;
}
