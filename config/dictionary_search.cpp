#include "config/dictionary_search.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/table/code_table.h"
#include "core/table/table_format.h"
#include "core/tabletools/table_text_decode.h"

namespace {

constexpr int kKeyBytes = 250;

// The word as NUL-terminated UTF-8 of at most 250 bytes; empty when it does not fit.
std::string KeyOf(const wchar_t* word) {
    if (!word || !word[0] || wcsnlen(word, kKeyBytes + 1) > kKeyBytes) return {};
    char key[kKeyBytes + 1];
    const int n = Utf16ToUtf8(word, kKeyBytes, key, kKeyBytes);
    if (n <= 0 || n >= kKeyBytes) return {};
    return std::string(key, static_cast<size_t>(n));
}

const char* KeyText(const uint8_t* entry) {
    return reinterpret_cast<const char*>(KeyValueKey(entry));
}

std::wstring Wide(const char* utf8, size_t bytes) {
    std::wstring out(bytes + 1, L'\0');
    const int n =
        Utf8ToUtf16(utf8, static_cast<int>(bytes), out.data(), static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

bool ByLengthThenBytes(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    return std::memcmp(a.data(), b.data(), a.size()) < 0;
}

std::vector<std::wstring> SortedWide(std::vector<std::string> keys) {
    std::sort(keys.begin(), keys.end(), ByLengthThenBytes);
    std::vector<std::wstring> out;
    out.reserve(keys.size());
    for (const std::string& k : keys) out.push_back(Wide(k.data(), k.size()));
    return out;
}

TableView DictView(const MappedFile* dict) {
    TableView v = MakeTableView(dict);
    if (v.valid() && v.kind != kTableKindKeyValue) v = TableView{};
    return v;
}

// Position of an entry whose key equals key; -1 when none.
int32_t FindKeyPosition(const TableView& v, const std::string& key) {
    int32_t lo = 0, hi = v.count - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const uint8_t* e = v.EntryAt(mid);
        if (!e) return -1;
        const int r = std::strcmp(KeyText(e), key.c_str());
        if (r == 0) return mid;
        if (r > 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return -1;
}

bool StartsWith(const uint8_t* entry, const std::string& key) {
    return std::strncmp(KeyText(entry), key.c_str(), key.size()) == 0;
}

}  // namespace

std::vector<std::wstring> FindDictEntry(const MappedFile* dict, const wchar_t* word) {
    std::vector<std::wstring> out;
    if (!DictView(dict).valid()) return out;
    KeyMatchList* list = nullptr;
    if (CodeTable::FindByKey(dict, word, &list) <= 0 || !list) return out;
    for (int32_t i = 0; i < list->count; ++i) {
        const uint8_t* e = list->entries[i];
        if (!e) continue;
        const uint32_t l = LoadU32(e);  // key length byte, key, NUL, value, NUL
        const uint32_t valueBytes = l - 3 - e[4];
        out.push_back(Wide(reinterpret_cast<const char*>(KeyValueValue(e)),
                           strnlen(reinterpret_cast<const char*>(KeyValueValue(e)), valueBytes)));
    }
    FreeKeyMatchList(list);
    return out;
}

bool DictHasWord(const MappedFile* dict, const wchar_t* word) {
    const TableView v = DictView(dict);
    const std::string key = KeyOf(word);
    return v.valid() && !key.empty() && FindKeyPosition(v, key) >= 0;
}

std::vector<std::wstring> SearchDictRelated(const MappedFile* dict, const wchar_t* word) {
    const TableView v = DictView(dict);
    const std::string key = KeyOf(word);
    if (!v.valid() || key.empty()) return {};
    const int32_t hit = FindKeyPosition(v, key);
    if (hit < 0) return {};
    std::vector<std::string> keys;
    for (int32_t i = hit; i >= 0; --i) {
        const uint8_t* e = v.EntryAt(i);
        if (!e || !StartsWith(e, key)) break;
        keys.emplace_back(KeyText(e));
    }
    for (int32_t i = hit + 1; i < v.count; ++i) {
        const uint8_t* e = v.EntryAt(i);
        if (!e || !StartsWith(e, key)) break;
        keys.emplace_back(KeyText(e));
    }
    return SortedWide(std::move(keys));
}

std::vector<std::wstring> SearchDictAll(const MappedFile* dict, const wchar_t* word) {
    const TableView v = DictView(dict);
    const std::string key = KeyOf(word);
    if (!v.valid() || key.empty()) return {};
    std::vector<std::string> keys;
    keys.reserve(128);
    for (int32_t i = 0; i < v.count; ++i) {
        const uint8_t* e = v.EntryAt(i);
        if (e && std::strstr(KeyText(e), key.c_str())) keys.emplace_back(KeyText(e));
    }
    return SortedWide(std::move(keys));
}

std::wstring FindWordCodes(const MappedFile* main, const wchar_t* word) {
    std::wstring text = L"编码: ";
    const TableView v = MakeTableView(main);
    bool found = false;
    const std::wstring wanted = word ? word : L"";
    if (v.valid() && v.HoldsCodeEntries() && !wanted.empty()) {
        wchar_t decoded[kDecodedTextUnits];
        for (int32_t i = 0; i < v.count; ++i) {
            const uint8_t* e = v.EntryAt(i);
            if (!e) continue;
            DecodeTableWord(EntryWord(e), decoded, kDecodedTextUnits);
            if (wanted != decoded) continue;
            DecodeTableCode(EntryCode(e), decoded, 130);
            text += L" ";
            text += decoded;
            found = true;
        }
    }
    if (!found) text = L"未能找到 " + wanted + L" 的编码";
    return text;
}

std::wstring DictionaryText(const std::vector<std::wstring>& explanations) {
    std::wstring text;
    for (const std::wstring& e : explanations) text += e + L"\r\n";
    return text.empty() ? kNotInDictionary : text;
}

void DictHistory::Record(const std::wstring& word) {
    const int count = static_cast<int>(words_.size());
    if (pos_ > 0 && pos_ < count) words_.resize(static_cast<size_t>(pos_));
    if (static_cast<int>(words_.size()) > kLimit) {
        words_.erase(words_.begin());
        if (pos_ > 1) --pos_;
    }
    if (pos_ > 0 && pos_ <= static_cast<int>(words_.size()) && words_[pos_ - 1] == word) return;
    words_.push_back(word);
    pos_ = static_cast<int>(words_.size());
}

std::wstring DictHistory::Back() {
    if (!CanGoBack()) return {};
    --pos_;
    return words_[pos_ - 1];
}

std::wstring DictHistory::Forward() {
    if (!CanGoForward()) return {};
    ++pos_;
    return words_[pos_ - 1];
}

std::wstring WebLookupUrl(WebLookup service, const wchar_t* word) {
    const std::string key = KeyOf(word);
    if (key.empty()) return {};
    std::wstring encoded;
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    for (unsigned char c : key) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            encoded.push_back(static_cast<wchar_t>(c));
        } else {
            encoded.push_back(L'%');
            encoded.push_back(kHex[c >> 4]);
            encoded.push_back(kHex[c & 15]);
        }
    }
    const wchar_t* prefix = L"";
    const wchar_t* suffix = L"";
    switch (service) {
        case WebLookup::Dictionary:
            prefix = L"https://www.zdic.net/search/?q=";
            break;
        case WebLookup::Bilingual:
            prefix = L"https://www.iciba.com/";
            break;
        case WebLookup::Google:
            prefix = L"https://www.google.com/search?newwindow=1&source=hp&q=";
            break;
        case WebLookup::Baidu:
            prefix = L"https://www.baidu.com/s?wd=";
            break;
    }
    std::wstring url = prefix + encoded + suffix;
    return url.size() > 511 ? std::wstring() : url;
}
