#include "core/settings/settings_import.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/settings_text.h"

namespace {

using std::wstring_view;

struct SettingsPair {
    std::wstring key;
    std::wstring value;
};
using PairList = std::vector<SettingsPair>;

// Walks the text line by line, skipping line breaks and comments.
class LineReader {
public:
    explicit LineReader(wstring_view text) : text_(text) {}

    // The next line (never empty); false at the end of the text.
    bool Next(wstring_view& line) {
        for (;;) {
            while (pos_ < text_.size() && (text_[pos_] == L'\r' || text_[pos_] == L'\n')) ++pos_;
            if (pos_ >= text_.size()) return false;
            const wstring_view rest = text_.substr(pos_);
            if (rest.starts_with(L"//")) {
                const size_t end = rest.find_first_of(L"\r\n");
                pos_ = end == wstring_view::npos ? text_.size() : pos_ + end;
                continue;
            }
            if (rest.starts_with(L"/*")) {
                const size_t end = rest.find(L"*/", 2);
                pos_ = end == wstring_view::npos ? text_.size() : pos_ + end + 2;
                continue;
            }
            size_t n = 0;
            while (n < rest.size() && rest[n] != L'\r' && rest[n] != L'\n' &&
                   !(rest[n] == L'\\' && n + 1 < rest.size() && rest[n + 1] == L'\\'))
                ++n;
            line = rest.substr(0, n);
            pos_ += n;
            if (pos_ < text_.size() && text_[pos_] == L'\\') pos_ += 2;
            if (!line.empty()) return true;
        }
    }

private:
    wstring_view text_;
    size_t pos_ = 0;
};

// Splits key=value; false without "=". A line starting with "=" keeps "=" as its key.
bool SplitPair(wstring_view line, wstring_view& key, wstring_view& value) {
    const size_t eq = line.find(L'=', 1);
    if (eq == wstring_view::npos) return false;
    key = line.substr(0, eq);
    value = line.substr(eq + 1);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.find(L'"', 1) - 1);
    return true;
}

void ClearDefinedTables(ImeConfigData* ime, DmeConfigData* dme) {
    std::memset(&dme->keys, 0, sizeof dme->keys);
    dme->comboCount = 0;
    std::memset(dme->combos, 0, sizeof dme->combos);
    std::memset(dme->wordRules, 0, sizeof dme->wordRules);
    std::memset(ime->symbols, 0, sizeof ime->symbols);
    std::memset(ime->keyRoots, 0, sizeof ime->keyRoots);
}

void ApplyCodecPairs(const OptionSectionCodec* codec, void* block, const PairList& pairs,
                     int kind) {
    if (!codec || !codec->read) return;
    for (const SettingsPair& p : pairs) codec->read(block, p.key.c_str(), p.value.c_str(), kind);
}

int Import(wstring_view text, ImeConfigData* ime, DmeConfigData* dme, SkinConfigData* skin,
           const OptionSectionCodec* codec) {
    PairList imePairs, dmePairs, skinPairs;
    imePairs.reserve(100);
    dmePairs.reserve(100);
    skinPairs.reserve(100);

    ClearDefinedTables(ime, dme);
    LineReader reader(text);
    wstring_view line, key, value;
    int section = kSectionUnknown;
    while (reader.Next(line)) {
        if (line.starts_with(L"[-")) {
            section = SettingsSectionIdOf(line);
            continue;
        }
        if (!SplitPair(line, key, value)) continue;
        switch (section) {
            case kSectionKeyFunctions:
                ParseKeyFunctionLine(dme, key, value);
                break;
            case kSectionIme:
                imePairs.push_back({std::wstring(key), std::wstring(value)});
                break;
            case kSectionDme:
                dmePairs.push_back({std::wstring(key), std::wstring(value)});
                break;
            case kSectionSkin:
                skinPairs.push_back({std::wstring(key), std::wstring(value)});
                break;
            case kSectionWordRules:
                ParseWordRuleLine(dme, key, value);
                break;
            case kSectionSymbols:
                ParseSymbolTableLine(ime, key, value);
                break;
            case kSectionKeyRoots:
                ParseKeyRootLine(ime, key, value);
                break;
            default:
                break;
        }
    }

    for (const SettingsPair& p : imePairs) ParseImeOption(ime, p.key, p.value);
    WriteConfigBlockHeader(&ime->header, sizeof(ImeConfigData), kImeBlockId, kImeBlockName);
    ApplyCodecPairs(codec, dme, dmePairs, kOptionSectionInput);
    WriteConfigBlockHeader(&dme->header, sizeof(DmeConfigData), kDmeBlockId, kDmeBlockName);
    ApplyCodecPairs(codec, skin, skinPairs, kOptionSectionInterface);
    WriteConfigBlockHeader(&skin->header, sizeof(SkinConfigData), kSkinBlockId, kSkinBlockName);
    return 1;
}

}  // namespace

int ImportSettingsText(wstring_view text, ImeConfigData* ime, DmeConfigData* dme,
                       SkinConfigData* skin, const OptionSectionCodec* codec) {
    if (!ime || !dme || !skin) return 0;
    try {
        return Import(text, ime, dme, skin, codec);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int ImportSettingsText(const wchar_t* text, ImeConfigData* ime, DmeConfigData* dme,
                       SkinConfigData* skin, const OptionSectionCodec* codec) {
    if (!text) return 0;
    return ImportSettingsText(wstring_view(text), ime, dme, skin, codec);
}
