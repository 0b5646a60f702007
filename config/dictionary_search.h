// What the mini dictionary looks up, without a window: the entries of a word in dict.dms,
// its related words, the whole-table search, the word's codes in main.dmg, the history of
// looked-up words and the addresses of the web lookups.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/mapped_file.h"

// The explanations (values) of every entry whose key equals word, in file order.
std::vector<std::wstring> FindDictEntry(const MappedFile* dict, const wchar_t* word);
// True when dict holds the word as a key.
bool DictHasWord(const MappedFile* dict, const wchar_t* word);
// Keys that start with word, found around an exact hit of word itself (none when word is no
// key), sorted by length and then bytes.
std::vector<std::wstring> SearchDictRelated(const MappedFile* dict, const wchar_t* word);
// Every key that contains word anywhere, sorted by length and then bytes.
std::vector<std::wstring> SearchDictAll(const MappedFile* dict, const wchar_t* word);
// The text of the dictionary's codes line for word: "编码: " and each code of the word in the
// main table, or "未能找到 %s 的编码".
std::wstring FindWordCodes(const MappedFile* main, const wchar_t* word);
// The definition text of a lookup: each explanation followed by CR LF, or the notice that the
// word is not in the dictionary.
std::wstring DictionaryText(const std::vector<std::wstring>& explanations);

constexpr wchar_t kNotInDictionary[] = L"词典中尚未收录该词条.";

// Back and forward over the looked-up words: at most 33 kept, the cursor 1-based (0: empty).
class DictHistory {
public:
    static constexpr int kLimit = 32;
    // A looked-up word: the words after the cursor go, the oldest goes when more than kLimit
    // are kept, and the word is added unless it is the one at the cursor.
    void Record(const std::wstring& word);
    // The word before / after the cursor, moving it; empty when there is none.
    std::wstring Back();
    std::wstring Forward();
    bool CanGoBack() const { return pos_ > 1; }
    bool CanGoForward() const { return pos_ < static_cast<int>(words_.size()); }
    const std::vector<std::wstring>& words() const { return words_; }
    int position() const { return pos_; }

private:
    std::vector<std::wstring> words_;
    int pos_ = 0;
};

// The menu commands of the four web lookups.
enum class WebLookup { Dictionary, Bilingual, Google, Baidu };
// The address of a web lookup of word: the word's UTF-8 bytes percent-encoded as a query
// component (everything but letters, digits and "-_.~"), put into the service's pattern.
// Empty when the word is empty or the address would pass 511 units.
std::wstring WebLookupUrl(WebLookup service, const wchar_t* word);
