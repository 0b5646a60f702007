#include "config/command_line.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

void CopyBounded(const wchar_t* from, size_t length, wchar_t* to, int capacity) {
    if (capacity <= 0) return;
    if (length > static_cast<size_t>(capacity - 1)) length = static_cast<size_t>(capacity - 1);
    std::wmemcpy(to, from, length);
    to[length] = 0;
}

enum Key { kGuid, kDo, kShowUrl, kShowUrlCx, kShowUrlCy, kDict, kCurrentVersion, kKeyCount };

// Longer keys first where one begins another ("/showurlCX " and "/showurl ").
struct KeyText {
    Key key;
    const wchar_t* text;
};
constexpr KeyText kKeys[] = {
    {kShowUrlCx, L"/showurlCX "},
    {kShowUrlCy, L"/showurlCY "},
    {kShowUrl, L"/showurl "},
    {kGuid, L"/n "},
    {kDo, L"/do "},
    {kDict, L"/dict "},
    {kCurrentVersion, L"/currver"},
};

const KeyText* KeyAt(const wchar_t* p) {
    for (const KeyText& k : kKeys)
        if (std::wcsncmp(p, k.text, std::wcslen(k.text)) == 0) return &k;
    return nullptr;
}

// Where "/currver" starts a token in s (null when it does not).
const wchar_t* FindVersionKey(const wchar_t* s) {
    for (const wchar_t* p = s; *p; ++p)
        if (IsBlank(*p) && std::wcsncmp(p + 1, L"/currver", 8) == 0) return p;
    return nullptr;
}

// The "/dict" word: the rest of the line (before "/currver"), blanks at its end dropped,
// without its quotes when it is quoted as a whole. Returns the units taken.
int CopyDictWord(const wchar_t* source, wchar_t* destination, int capacity) {
    const wchar_t* end = FindVersionKey(source);
    size_t taken = end ? static_cast<size_t>(end - source) : std::wcslen(source);
    size_t length = taken;
    while (length > 0 && IsBlank(source[length - 1])) --length;
    if (length >= 2 && IsQuote(source[0]) && IsQuote(source[length - 1])) {
        CopyBounded(source + 1, length - 2, destination, capacity);
    } else if (length > 0 && IsQuote(source[0])) {
        return CopyArgumentToken(source, destination, capacity);
    } else {
        CopyBounded(source, length, destination, capacity);
    }
    return static_cast<int>(taken);
}

}  // namespace

int CopyArgumentToken(const wchar_t* source, wchar_t* destination, int capacity) {
    if (capacity > 0) destination[0] = 0;
    if (!source) return 0;
    size_t start = 0, length = 0, taken = 0;
    if (IsQuote(source[0])) {
        start = 1;
        while (source[start + length] && !IsQuote(source[start + length])) ++length;
        taken = start + length + (source[start + length] ? 1 : 0);
    } else {
        while (source[length] && !IsBlank(source[length])) ++length;
        taken = length;
    }
    CopyBounded(source + start, length, destination, capacity);
    return static_cast<int>(taken);
}

void ParseConfigCommandLine(const wchar_t* commandLine, StartArguments& args) {
    std::memset(&args, 0, sizeof args);
    args.viewWidth = args.viewHeight = args.viewLeft = args.viewTop = -1;
    if (!commandLine) return;
    bool seen[kKeyCount] = {};
    wchar_t showUrl[kStartArgumentUnits] = {}, dict[kStartArgumentUnits] = {};
    wchar_t width[kStartNumberUnits] = {}, height[kStartNumberUnits] = {};
    const wchar_t* version = nullptr;
    const wchar_t* p = commandLine;
    while (*p) {
        const KeyText* k = (p == commandLine || IsBlank(p[-1])) ? KeyAt(p) : nullptr;
        if (!k) {
            ++p;
            continue;
        }
        const wchar_t* value = p + std::wcslen(k->text);
        int taken = 0;
        bool first = !seen[k->key];
        seen[k->key] = true;
        wchar_t scratch[kStartArgumentUnits];
        switch (k->key) {
            case kGuid:
                taken = CopyArgumentToken(value, first ? args.guidText : scratch, kStartGuidUnits);
                break;
            case kDo:
                taken = CopyArgumentToken(value, first ? args.target : scratch, kStartTargetUnits);
                break;
            case kShowUrl:
                taken = CopyArgumentToken(value, first ? showUrl : scratch, kStartArgumentUnits);
                break;
            case kShowUrlCx:
                taken = CopyArgumentToken(value, first ? width : scratch, kStartNumberUnits);
                break;
            case kShowUrlCy:
                taken = CopyArgumentToken(value, first ? height : scratch, kStartNumberUnits);
                break;
            case kDict:
                taken = CopyDictWord(value, first ? dict : scratch, kStartArgumentUnits);
                break;
            case kCurrentVersion:
                // One separator after the key, then the text up to the next blank.
                if (first) version = *value ? value + 1 : value;
                taken = (*value ? 1 : 0) +
                        CopyArgumentToken(*value ? value + 1 : value, scratch, kStartVersionUnits);
                break;
            case kKeyCount:
                break;
        }
        p = value + taken;
    }
    if (seen[kShowUrl]) {
        std::wcscpy(args.target, L"showurl");
        std::wcscpy(args.argument, showUrl);
        if (seen[kShowUrlCx])
            args.viewWidth = static_cast<int32_t>(std::wcstol(width, nullptr, 10));
        if (seen[kShowUrlCy])
            args.viewHeight = static_cast<int32_t>(std::wcstol(height, nullptr, 10));
        return;
    }
    if (seen[kDict]) {
        std::wcscpy(args.target, L"dict");
        std::wcscpy(args.argument, dict);
    }
    if (version) {
        size_t n = 0;
        while (version[n] && !IsBlank(version[n]) && n < kStartVersionUnits - 1) ++n;
        CopyBounded(version, n, args.versionText, kStartVersionUnits);
    }
}
