#include "core/settings/key_names.h"

#include <cwchar>

namespace {

struct NamedKey {
    int vk;
    const wchar_t* name;
};

constexpr void SetName(KeyNameTable& table, int vk, const wchar_t* name) {
    int i = 0;
    for (; name[i] && i < kMaxKeyNameLength; ++i) table.names[vk][i] = name[i];
    table.names[vk][i] = 0;
}

// "键PrtSc" names the Print Screen key, VK_SNAPSHOT 0x2C, the code its name parses to (0x2A is
// VK_PRINT, which no keyboard sends), so a stored key reads back as itself.
constexpr NamedKey kPlainNamed[] = {
    {0x08, L"键Backspace"}, {0x09, L"键Tab"},     {0x0D, L"键Enter"},   {0x10, L"键Shift"},
    {0x11, L"键Ctrl"},      {0x12, L"键Alt"},     {0x13, L"键Pause"},   {0x14, L"键CapsLock"},
    {0x1B, L"键Esc"},       {0x20, L" "},         {0x21, L"键PageUp"},  {0x22, L"键PageDown"},
    {0x23, L"键End"},       {0x24, L"键Home"},    {0x25, L"键左箭头"},  {0x26, L"键上箭头"},
    {0x27, L"键右箭头"},    {0x28, L"键下箭头"},  {0x2C, L"键PrtSc"},   {0x2D, L"键Insert"},
    {0x2E, L"键Delete"},    {0x6A, L"\x0A"},      {0x6B, L"\x0B"},      {0x6D, L"\x0D"},
    {0x6E, L"\x0E"},        {0x6F, L"\x0F"},      {0x90, L"键NumLock"}, {0x91, L"键Scroll"},
    {0xA0, L"键左Shift"},   {0xA1, L"键右Shift"}, {0xA2, L"键左Ctrl"},  {0xA3, L"键右Ctrl"},
    {0xA4, L"键左Alt"},     {0xA5, L"键右Alt"},   {0xBA, L";"},         {0xBB, L"="},
    {0xBC, L","},           {0xBD, L"-"},         {0xBE, L"."},         {0xBF, L"/"},
    {0xC0, L"`"},           {0xDB, L"["},         {0xDC, L"\\"},        {0xDD, L"]"},
    {0xDE, L"'"},
};

constexpr NamedKey kShiftedNamed[] = {
    {0x0D, L"键Enter"}, {0x10, L"键Shift"}, {0x30, L")"}, {0x31, L"!"}, {0x32, L"@"},  {0x33, L"#"},
    {0x34, L"$"},       {0x35, L"%"},       {0x36, L"^"}, {0x37, L"&"}, {0x38, L"*"},  {0x39, L"("},
    {0xBA, L":"},       {0xBB, L"+"},       {0xBC, L"<"}, {0xBD, L"_"}, {0xBE, L">"},  {0xBF, L"?"},
    {0xC0, L"~"},       {0xDB, L"{"},       {0xDC, L"|"}, {0xDD, L"}"}, {0xDE, L"\""},
};

constexpr KeyNameTable BuildPlainNames() {
    KeyNameTable t{};
    for (const auto& k : kPlainNamed) SetName(t, k.vk, k.name);
    for (int i = 0; i < 10; ++i) {
        t.names[0x30 + i][0] = static_cast<wchar_t>(L'0' + i);
        t.names[0x60 + i][0] = static_cast<wchar_t>(0x10 + i);  // keypad digits
    }
    for (int i = 0; i < 26; ++i) t.names[0x41 + i][0] = static_cast<wchar_t>(L'a' + i);
    for (int i = 1; i <= 24; ++i) {
        wchar_t* name = t.names[0x70 + i - 1];
        int len = 0;
        name[len++] = L'键';
        name[len++] = L'F';
        if (i >= 10) name[len++] = static_cast<wchar_t>(L'0' + i / 10);
        name[len++] = static_cast<wchar_t>(L'0' + i % 10);
        name[len] = 0;
    }
    return t;
}

constexpr KeyNameTable BuildShiftedNames() {
    KeyNameTable t{};
    for (const auto& k : kShiftedNamed) SetName(t, k.vk, k.name);
    for (int i = 0; i < 26; ++i) t.names[0x41 + i][0] = static_cast<wchar_t>(L'A' + i);
    return t;
}

// Appends within a fixed buffer; text that does not fit is dropped whole.
class TextBuffer {
public:
    TextBuffer(wchar_t* buffer, int capacity) : buf_(buffer), cap_(capacity) { buf_[0] = 0; }
    void Append(std::wstring_view text) {
        if (len_ + static_cast<int>(text.size()) >= cap_) return;
        for (wchar_t c : text) buf_[len_++] = c;
        buf_[len_] = 0;
    }
    void AppendKeyName(const wchar_t* name) {
        // Keypad names are stored as their code characters.
        if (name[0] >= 0x0A && name[0] <= 0x19 && name[1] == 0) {
            const wchar_t wide = static_cast<wchar_t>(0xFF00 + name[0]);
            Append(std::wstring_view(&wide, 1));
        } else {
            Append(name);
        }
    }

private:
    wchar_t* buf_;
    int cap_;
    int len_ = 0;
};

bool Contains(std::wstring_view text, std::wstring_view name) {
    return text.find(name) != std::wstring_view::npos;
}

struct FunctionName {
    KeyFunctionMask bit;
    const wchar_t* name;
};

// Independent bits in writing order.
constexpr FunctionName kIndependent[] = {
    {keyfn::kToggleIme, L"输入法打开/关闭"},
    {keyfn::kToggleEnglish, L"英文输入开关"},
    {keyfn::kClearInput, L"清除输入"},
    {keyfn::kSchemeMainAuxiliary, L"输入方案主/辅切换"},
    {keyfn::kSchemeMainMixed, L"输入方案主/混切换"},
    {keyfn::kRangeMainSecondary, L"检索范围主/次切换"},
    {keyfn::kRangeMainMixed, L"检索范围主/混切换"},
    {keyfn::kRepeatInput, L"重复输入"},
    {keyfn::kUndoInput, L"撤销输入"},
    {keyfn::kPageUp, L"前翻页"},
    {keyfn::kPageDown, L"后翻页"},
    {keyfn::kFirstForward, L"首选前移"},
    {keyfn::kFirstBackward, L"首选后移"},
};

constexpr FunctionName kCaret[] = {
    {keyfn::kCaretLeft, L"光标左移"},    {keyfn::kCaretRight, L"光标右移"},
    {keyfn::kCaretHome, L"光标至头"},    {keyfn::kCaretEnd, L"光标至尾"},
    {keyfn::kDeleteBefore, L"编码前删"}, {keyfn::kDeleteAfter, L"编码后删"},
};

constexpr FunctionName kConfigPages[] = {
    {keyfn::kConfigHome, L"配置 - 主页"},
    {keyfn::kConfigKeys, L"配置 - 按键设置"},
    {keyfn::kConfigHelp, L"配置 - 帮助"},
    {keyfn::kConfigAbout, L"配置 - 关于"},
    {keyfn::kConfigReverseOutput, L"配置 - 输出反查"},
    {keyfn::kConfigReverseClipboard, L"配置 - 剪贴板反查"},
    {keyfn::kConfigDictionary, L"配置 - 词典查询"},
};

// Either-or pairs: the first wins when both are set or named.
constexpr FunctionName kPairs[][2] = {
    {{keyfn::kToggleInterface, L"显示|关闭界面"},
     {keyfn::kToggleCandidateWindow, L"显示|关闭候选窗口"}},
    {{keyfn::kConvertSimplified, L"上屏转换 - 简体"},
     {keyfn::kConvertTraditional, L"上屏转换 - 繁体"}},
    {{keyfn::kToggleSoftKeyboard, L"软键盘切换"}, {0, nullptr}},
    {{keyfn::kAddWordOnline, L"在线加词"}, {keyfn::kDeleteWordOnline, L"在线删词"}},
};

constexpr FunctionName kCustom[] = {
    {keyfn::kCustom1, L"定制1"},
    {keyfn::kCustom2, L"定制2"},
    {keyfn::kCustom3, L"定制3"},
};

// Commit-group names by index 0..13.
constexpr const wchar_t* kCommitNames[14] = {
    L"首选上屏",     L"第1候选上屏", L"第2候选上屏",     L"第3候选上屏", L"第4候选上屏",
    L"第5候选上屏",  L"第6候选上屏", L"第7候选上屏",     L"第8候选上屏", L"第9候选上屏",
    L"第10候选上屏", L"英文上屏",    L"倒数第1候选上屏", L"首选顶屏",
};
// Search order of the commit group.
constexpr int kCommitParseOrder[14] = {12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 13, 11};

constexpr const wchar_t* kFrequencyNames[10] = {
    L"第1候选调频", L"第2候选调频", L"第3候选调频", L"第4候选调频", L"第5候选调频",
    L"第6候选调频", L"第7候选调频", L"第8候选调频", L"第9候选调频", L"第10候选调频",
};
constexpr const wchar_t* kDeleteNames[10] = {
    L"第1候选删除", L"第2候选删除", L"第3候选删除", L"第4候选删除", L"第5候选删除",
    L"第6候选删除", L"第7候选删除", L"第8候选删除", L"第9候选删除", L"第10候选删除",
};
constexpr const wchar_t* kCustomCandidateNames[10] = {
    L"第1候选定制", L"第2候选定制", L"第3候选定制", L"第4候选定制", L"第5候选定制",
    L"第6候选定制", L"第7候选定制", L"第8候选定制", L"第9候选定制", L"第10候选定制",
};

// First of names[0..9] in the text: its index 1..10, or 0.
int FindIndexedName(std::wstring_view text, const wchar_t* const (&names)[10]) {
    for (int i = 0; i < 10; ++i) {
        if (Contains(text, names[i])) return i + 1;
    }
    return 0;
}

struct ModifierName {
    KeyCombination bits;
    const wchar_t* name;
};

constexpr ModifierName kModifierNames[] = {
    {keycombo::kCtrl, L"+键Ctrl"},          {keycombo::kAlt, L"+键Alt"},
    {keycombo::kShift, L"+键Shift"},        {keycombo::kLeftCtrl, L"+键左Ctrl"},
    {keycombo::kLeftAlt, L"+键左Alt"},      {keycombo::kLeftShift, L"+键左Shift"},
    {keycombo::kRightCtrl, L"+键右Ctrl"},   {keycombo::kRightAlt, L"+键右Alt"},
    {keycombo::kRightShift, L"+键右Shift"},
};

// Side-specific suffix groups in writing order: Shift, Alt, Ctrl.
struct ModifierGroup {
    KeyCombination plain, left, right;
    const wchar_t *plainName, *leftName, *rightName;
};
constexpr ModifierGroup kModifierGroups[] = {
    {keycombo::kShift, keycombo::kLeftShift, keycombo::kRightShift, L"+键Shift", L"+键左Shift",
     L"+键右Shift"},
    {keycombo::kAlt, keycombo::kLeftAlt, keycombo::kRightAlt, L"+键Alt", L"+键左Alt", L"+键右Alt"},
    {keycombo::kCtrl, keycombo::kLeftCtrl, keycombo::kRightCtrl, L"+键Ctrl", L"+键左Ctrl",
     L"+键右Ctrl"},
};

constexpr std::wstring_view kKeyLead = L"键";
constexpr std::wstring_view kUnnamedLead = L"键VK";

// Virtual key and Shift bit of an ASCII punctuation character on the US layout; -1 if none.
KeyCombination PunctuationKey(wchar_t c) {
    switch (c) {
        case L'!':
            return 0x131;
        case L'"':
            return 0x1DE;
        case L'#':
            return 0x133;
        case L'$':
            return 0x134;
        case L'%':
            return 0x135;
        case L'&':
            return 0x137;
        case L'\'':
            return 0xDE;
        case L'(':
            return 0x139;
        case L')':
            return 0x130;
        case L'*':
            return 0x138;
        case L'+':
            return 0x1BB;
        case L',':
            return 0xBC;
        case L'-':
            return 0xBD;
        case L'.':
            return 0xBE;
        case L'/':
            return 0xBF;
        case L':':
            return 0x1BA;
        case L';':
            return 0xBA;
        case L'<':
            return 0x1BC;
        case L'=':
            return 0xBB;
        case L'>':
            return 0x1BE;
        case L'?':
            return 0x1BF;
        case L'@':
            return 0x132;
        case L'[':
            return 0xDB;
        case L'\\':
            return 0xDC;
        case L']':
            return 0xDD;
        case L'^':
            return 0x136;
        case L'_':
            return 0x1BD;
        case L'`':
            return 0xC0;
        case L'{':
            return 0x1DB;
        case L'|':
            return 0x1DC;
        case L'}':
            return 0x1DD;
        case L'~':
            return 0x1C0;
        default:
            return -1;
    }
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// Key of a text starting with "键": the longest plain name it starts with, or the
// unnamed-key form; 0 when neither.
KeyCombination NamedKeyAtStart(std::wstring_view text) {
    int best = 0;
    size_t bestLength = 0;
    for (int vk = 0; vk < 256; ++vk) {
        const std::wstring_view name = plainKeyNames[vk];
        if (name.size() > bestLength && name.starts_with(kKeyLead) && text.starts_with(name)) {
            best = vk;
            bestLength = name.size();
        }
    }
    if (best != 0) return best;
    if (text.starts_with(kUnnamedLead) && text.size() >= kUnnamedLead.size() + 2) {
        const int high = HexDigit(text[kUnnamedLead.size()]);
        const int low = HexDigit(text[kUnnamedLead.size() + 1]);
        if (high >= 0 && low >= 0) return high * 16 + low;
    }
    return 0;
}

}  // namespace

constexpr KeyNameTable plainKeyNames = BuildPlainNames();
constexpr KeyNameTable shiftedKeyNames = BuildShiftedNames();

const wchar_t* FormatKeyFunctionNames(KeyFunctionMask mask) {
    static wchar_t buffer[kMaxKeyFunctionText + 1];
    TextBuffer out(buffer, kMaxKeyFunctionText + 1);
    auto add = [&out](const wchar_t* name) {
        out.Append(name);
        out.Append(L",");
    };
    for (const auto& f : kIndependent) {
        if (mask & f.bit) add(f.name);
    }
    const int n = KeyFunctionIndex(mask);
    if ((mask & keyfn::kCommit) && n < 14) add(kCommitNames[n]);
    if ((mask & keyfn::kAdjustFrequency) && n >= 1 && n <= 10) add(kFrequencyNames[n - 1]);
    if ((mask & keyfn::kDeleteCandidate) && n >= 1 && n <= 10) add(kDeleteNames[n - 1]);
    for (const auto& f : kCaret) {
        if (mask & f.bit) add(f.name);
    }
    for (const auto& pair : kPairs) {
        if (mask & pair[0].bit) {
            add(pair[0].name);
        } else if (pair[1].name && (mask & pair[1].bit)) {
            add(pair[1].name);
        }
    }
    for (const auto& f : kConfigPages) {
        if (mask & f.bit) {
            add(f.name);
            break;
        }
    }
    for (const auto& f : kCustom) {
        if (mask & f.bit) out.Append(f.name);
    }
    if ((mask & keyfn::kCustomCandidate) && n >= 1 && n <= 10) add(kCustomCandidateNames[n - 1]);
    return buffer;
}

KeyFunctionMask ParseKeyFunctionNames(std::wstring_view text) {
    KeyFunctionMask mask = 0;
    for (const auto& f : kIndependent) {
        if (Contains(text, f.name)) mask |= f.bit;
    }
    for (int n : kCommitParseOrder) {
        if (Contains(text, kCommitNames[n])) {
            mask = WithKeyFunctionIndex(mask | keyfn::kCommit, n);
            break;
        }
    }
    if (const int n = FindIndexedName(text, kFrequencyNames)) {
        mask = WithKeyFunctionIndex(mask | keyfn::kAdjustFrequency, n);
    }
    if (const int n = FindIndexedName(text, kDeleteNames)) {
        mask = WithKeyFunctionIndex(mask | keyfn::kDeleteCandidate, n);
    }
    for (const auto& f : kCaret) {
        if (Contains(text, f.name)) {
            mask |= f.bit;
            break;
        }
    }
    for (const auto& pair : kPairs) {
        if (Contains(text, pair[0].name)) {
            mask |= pair[0].bit;
        } else if (pair[1].name && Contains(text, pair[1].name)) {
            mask |= pair[1].bit;
        }
    }
    for (const auto& f : kConfigPages) {
        if (Contains(text, f.name)) {
            mask |= f.bit;
            break;
        }
    }
    for (const auto& f : kCustom) {
        if (Contains(text, f.name)) return mask | f.bit;
    }
    if (const int n = FindIndexedName(text, kCustomCandidateNames)) {
        mask = WithKeyFunctionIndex(mask | keyfn::kCustomCandidate, n);
    }
    return mask;
}

KeyFunctionMask ParseKeyFunctionNames(const wchar_t* text) {
    return text ? ParseKeyFunctionNames(std::wstring_view(text)) : 0;
}

bool IsNamedKey(KeyCombination code) {
    if (code < 0 || (code & ~keycombo::kShift) >= 255) return false;
    const KeyNameTable& table = (code & keycombo::kShift) ? shiftedKeyNames : plainKeyNames;
    return table[static_cast<int>(code & keycombo::kKeyMask)][0] != 0;
}

const wchar_t* FormatKeyCombination(KeyCombination code) {
    static wchar_t buffer[kMaxKeyCombinationText + 1];
    TextBuffer out(buffer, kMaxKeyCombinationText + 1);
    const int vk = static_cast<int>(code & keycombo::kKeyMask);
    if (code < 0 || vk == 0) return buffer;
    if (IsNamedKey(code)) {
        out.AppendKeyName((code & keycombo::kShift) ? shiftedKeyNames[vk] : plainKeyNames[vk]);
        // A shifted name equal to the plain one would read back without Shift.
        if ((code & keycombo::kShift) &&
            std::wstring_view(shiftedKeyNames[vk]) == std::wstring_view(plainKeyNames[vk])) {
            out.Append(L"+键Shift");
        }
        return buffer;
    }
    if (plainKeyNames[vk][0]) {
        out.AppendKeyName(plainKeyNames[vk]);
    } else {
        static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
        const wchar_t digits[2] = {kHex[vk >> 4], kHex[vk & 0xF]};
        out.Append(kUnnamedLead);
        out.Append(std::wstring_view(digits, 2));
    }
    for (const auto& g : kModifierGroups) {
        const bool left = (code & g.left) == g.left;
        const bool right = (code & g.right) == g.right;
        if (left) out.Append(g.leftName);
        if (right) out.Append(g.rightName);
        if (!left && !right && (code & g.plain)) out.Append(g.plainName);
    }
    return buffer;
}

KeyCombination ParseKeyCombination(std::wstring_view text) {
    if (text.empty()) return keycombo::kNone;
    KeyCombination modifiers = 0;
    for (const auto& m : kModifierNames) {
        if (Contains(text, m.name)) modifiers |= m.bits;
    }
    const wchar_t c = text[0];
    KeyCombination key;
    if (text.starts_with(kKeyLead)) {
        key = NamedKeyAtStart(text);
    } else if (c >= 0xFF10 && c <= 0xFF19) {
        key = 0x60 + (c - 0xFF10);
    } else if (c == 0xFF0A || c == 0xFF0B || c == 0xFF0D || c == 0xFF0E || c == 0xFF0F) {
        key = 0x6A + (c - 0xFF0A);
    } else if (c == L'\t' || c == L' ' || (c >= L'0' && c <= L'9')) {
        key = c;
    } else if (c >= L'a' && c <= L'z') {
        key = 0x41 + (c - L'a');
    } else if (c >= L'A' && c <= L'Z') {
        key = (0x41 + (c - L'A')) | keycombo::kShift;
    } else {
        key = PunctuationKey(c);
        if (key < 0) return keycombo::kNone;
    }
    return key | modifiers;
}

KeyCombination ParseKeyCombination(const wchar_t* text) {
    return text ? ParseKeyCombination(std::wstring_view(text)) : keycombo::kNone;
}
