#include "config/advanced_editor_rules.h"

#include <cwchar>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/settings/settings_import.h"
#include "dialog/control_text.h"

LineColours ColourLine(std::wstring_view line) {
    if (line.size() > kColourLineUnits) line = line.substr(0, kColourLineUnits);
    const int n = static_cast<int>(line.size());
    if (line.starts_with(L"//")) return {1, {{0, n, kCommentColour}, {}}};
    if (line.starts_with(L"[-")) return {1, {{0, n, kPlainColour}, {}}};
    const size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos) return {1, {{0, n, kPlainColour}, {}}};
    int key = static_cast<int>(eq) + 1;
    if (key < 2) key = n < 2 ? n : 2;
    if (key >= n) return {1, {{0, n, kPlainColour}, {}}};
    return {2, {{0, key, kPlainColour}, {key, n - key, kValueColour}}};
}

bool BackupFolder(const wchar_t* documents, const wchar_t* productName,
                  wchar_t (&out)[kPathChars]) {
    out[0] = 0;
    if (!documents || !documents[0]) return false;
    const size_t n = std::wcslen(documents);
    const wchar_t* slash = documents[n - 1] == L'\\' ? L"" : L"\\";
    return FormatBounded(out, kPathChars, L"%ls%ls[ %ls ]", documents, slash,
                         productName ? productName : L"");
}

bool BackupFileName(const wchar_t* chosen, wchar_t (&out)[kPathChars]) {
    out[0] = 0;
    if (!chosen) return false;
    wchar_t lower[kPathChars];
    size_t n = 0;
    for (; chosen[n] && n < kPathChars - 1; ++n) {
        const wchar_t c = chosen[n];
        lower[n] = c >= L'A' && c <= L'Z' ? c + 32 : c;
    }
    if (chosen[n]) return false;
    lower[n] = 0;
    constexpr std::wstring_view kTxt = L".txt";
    if (n >= kTxt.size() && std::wstring_view(lower + n - kTxt.size()) == kTxt)
        lower[n - kTxt.size()] = 0;
    if (!FormatBounded(out, kPathChars, L"%ls.kxconfig.txt", lower)) {
        out[0] = 0;
        return false;
    }
    return true;
}

FindStep FindNextWithWrap(int start, int needleLength, const std::function<int(int)>& find) {
    if (start < 0) start = 0;
    int at = find(start);
    if (at < 0 && start != 0) at = find(0);
    if (at < 0) return {-1, 0};
    return {at, at + needleLength};
}

int EditorTextLimit(size_t length) {
    constexpr size_t kDefault = 64000;
    constexpr size_t kRoom = 65536;  // typing room beyond the text
    constexpr size_t kMost = 0x7FFFFFFE;
    if (length > kMost - kRoom) return static_cast<int>(kMost);
    const size_t limit = length + kRoom;
    return static_cast<int>(limit < kDefault ? kDefault : limit);
}

EditorKey EditorKeyOf(WPARAM vk, bool ctrl, bool alt, bool shift) {
    if (alt || shift) return EditorKey::None;
    if (ctrl && vk == 'F') return EditorKey::FocusFind;
    if (ctrl && vk == 'K') return EditorKey::FindNext;
    if (!ctrl && vk == VK_F3) return EditorKey::FindNext;
    return EditorKey::None;
}

bool EmModeParameters(uint32_t before, uint32_t after, const wchar_t* guidText,
                      wchar_t (&out)[128]) {
    out[0] = 0;
    if ((before & kImeStyleMask) == (after & kImeStyleMask)) return false;
    FormatBounded(out, 128, L"/EMMODE=%d /GUID=%ls", (after & kImeStyleMask) ? 1 : 0,
                  guidText ? guidText : L"");
    return true;
}

SaveOutcome SaveSettingsIntoBlocks(Engine* engine, const wchar_t* text,
                                   const OptionSectionCodec* codec, wchar_t (&emMode)[128]) {
    emMode[0] = 0;
    if (!engine || !engine->ime || !engine->dme || !engine->skin || !text) return {false, false};
    const uint32_t before = engine->ime->options;
    const bool imported =
        ImportSettingsText(text, engine->ime, engine->dme, engine->skin, codec) != 0;
    const bool change = EmModeParameters(before, engine->ime->options, engine->guidText, emMode);
    return {imported, change};
}
