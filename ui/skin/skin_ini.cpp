#include "ui/skin/skin_ini.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "ui/skin/skin_text.h"

const wchar_t kSkinIniVersionLine[] =
    L";------------------------for version 3.3+-------------------";
static_assert(sizeof kSkinIniVersionLine / sizeof(wchar_t) == kSkinIniVersionUnits + 1);

namespace {

enum class Form { Text, Int, Colour, Pair, FontSize, FontWeight, Byte, Char, Frame };

struct KeyField {
    const wchar_t* key;
    Form form;
    size_t offset;  // inside the section's record
    int units;      // text fields
};

#define TEXT_FIELD(k, f, n) \
    { k, Form::Text, offsetof(SkinTextStyle, f), n }
#define STYLE(k, form, f) \
    { k, form, offsetof(SkinTextStyle, f), 0 }
const KeyField kTextKeys[] = {
    STYLE(L"编码字体颜色", Form::Colour, codeColour),
    TEXT_FIELD(L"编码字体名称", codeFontName, kSkinFontNameUnits),
    STYLE(L"编码字体大小", Form::FontSize, codeFontSize),
    STYLE(L"编码字体粗细", Form::FontWeight, codeFontWeight),
    STYLE(L"候选字体颜色", Form::Colour, candidateColour),
    TEXT_FIELD(L"候选字体名称", candidateFontName, kSkinFontNameUnits),
    STYLE(L"候选字体大小", Form::FontSize, candidateFontSize),
    STYLE(L"候选字体粗细", Form::FontWeight, candidateFontWeight),
    STYLE(L"从右向左的文字", Form::Byte, rightToLeft),
    STYLE(L"序号字体颜色", Form::Colour, indexColour),
    STYLE(L"提示字体颜色", Form::Colour, hintColour),
    STYLE(L"提示编码颜色", Form::Colour, hintColour),
    STYLE(L"临时词候选颜色", Form::Colour, tempWordColour),
    STYLE(L"用户词候选颜色", Form::Colour, userWordColour),
    STYLE(L"第一候选颜色", Form::Colour, firstCandidateColour),
    STYLE(L"第一候选背景色", Form::Colour, firstCandidateBackground),
    STYLE(L"鼠标处候选背景色", Form::Colour, hoverBackground),
    STYLE(L"鼠标处候选颜色", Form::Colour, hoverColour),
    STYLE(L"编码最多显示个数", Form::Int, maxCodeShown),
    STYLE(L"候选最多显示个数", Form::Int, maxCandidatesShown),
    STYLE(L"光标颜色", Form::Colour, caretColour),
};
#undef STYLE
#undef TEXT_FIELD

#define INFO(k, f, n) \
    { k, Form::Text, offsetof(SkinInfo, f), n }
const KeyField kInfoKeys[] = {
    INFO(L"名称", name, kSkinInfoUnits),
    INFO(L"描述", description, kSkinInfoUnits),
    INFO(L"版本", version, kSkinInfoUnits),
    INFO(L"所有者名称", ownerName, kSkinInfoUnits),
    INFO(L"所有者联系方式", ownerContact, kSkinContactUnits),
};
#undef INFO

#define BAR(k, form, f) \
    { k, form, offsetof(StatusBarLayout, f), 0 }
const KeyField kStatusKeys[] = {
    BAR(L"状态栏默认位置", Form::Int, defaultCorner),
    BAR(L"中英文状态按钮位置", Form::Pair, modeButton),
    BAR(L"中英文标点按钮位置", Form::Pair, punctuationButton),
    BAR(L"全角半角按钮位置", Form::Pair, widthButton),
    BAR(L"软键盘按钮位置", Form::Pair, softKeyboardButton),
    BAR(L"菜单按钮位置", Form::Pair, menuButton),
    BAR(L"输入法标志位置", Form::Pair, logo),
    BAR(L"扩展按钮1位置", Form::Pair, extension1Button),
    BAR(L"扩展按钮2位置", Form::Pair, extension2Button),
    BAR(L"简繁切换按钮位置", Form::Pair, scriptButton),
};
#undef BAR

#define CAND(k, form, f) \
    { k, form, offsetof(CandidateLayout, f), 0 }
const KeyField kCandidateKeys[] = {
    CAND(L"后翻页按钮位置", Form::Pair, pageDownButton),
    CAND(L"前翻页按钮位置", Form::Pair, pageUpButton),
    CAND(L"中英文标点按钮位置", Form::Pair, punctuationButton),
    CAND(L"全角半角按钮位置", Form::Pair, widthButton),
    CAND(L"扩展按钮1位置", Form::Pair, extension1Button),
    CAND(L"扩展按钮2位置", Form::Pair, extension2Button),
    CAND(L"编码起始位置", Form::Pair, codeOrigin),
    CAND(L"候选起始位置", Form::Pair, candidateOrigin),
    CAND(L"序号-字词间距", Form::Int, indexGap),
    CAND(L"字词-提示间距", Form::Int, hintGap),
    CAND(L"候选间距", Form::Int, candidateGap),
    CAND(L"行间距", Form::Int, lineGap),
    CAND(L"横向拉伸区域", Form::Pair, stretchX),
    CAND(L"纵向拉伸区域", Form::Pair, stretchY),
    CAND(L"右边距", Form::Int, rightMargin),
    CAND(L"右边据", Form::Int, rightMargin),
    CAND(L"下边距", Form::Int, bottomMargin),
    CAND(L"下边据", Form::Int, bottomMargin),
    CAND(L"最小宽度", Form::Int, minWidth),
    CAND(L"最小高度", Form::Int, minHeight),
    CAND(L"嵌入窗口偏移", Form::Pair, embedOffset),
    CAND(L"序号后缀", Form::Char, indexSuffix),
    CAND(L"文字背景边框", Form::Frame, textFrame),
};
#undef CAND

struct Section {
    const wchar_t* head;
    const KeyField* keys;
    size_t keyCount;
    size_t offset;  // of the record inside SkinDescription
};

#define SECTION(h, table, f) \
    { h, table, sizeof table / sizeof table[0], offsetof(SkinDescription, f) }
const Section kSections[] = {
    SECTION(L"[-皮肤信息-]", kInfoKeys, info),
    SECTION(L"[-文字显示-]", kTextKeys, text),
    SECTION(L"[-状态栏窗口-]", kStatusKeys, statusBar),
    SECTION(L"[-候选窗口-合并-]", kCandidateKeys, mergedH),
    SECTION(L"[-候选窗口-合并-竖排-]", kCandidateKeys, mergedV),
    SECTION(L"[-候选窗口-嵌入-]", kCandidateKeys, embeddedH),
    SECTION(L"[-候选窗口-嵌入-竖排-]", kCandidateKeys, embeddedV),
};
#undef SECTION

// Decimal with leading blanks and a sign; stops at the first non-digit; no digits give 0.
int32_t ReadInt(const wchar_t*& s) {
    while (*s == L' ' || *s == L'\t') ++s;
    bool negative = false;
    if (*s == L'-' || *s == L'+') negative = *s++ == L'-';
    int64_t v = 0;
    while (*s >= L'0' && *s <= L'9') {
        if (v < 0x100000000LL) v = v * 10 + (*s - L'0');
        ++s;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(negative ? -v : v));
}

void Store(uint8_t* record, const KeyField& f, const wchar_t* value) {
    uint8_t* p = record + f.offset;
    auto put = [p](size_t at, int32_t v) { std::memcpy(p + at, &v, sizeof v); };
    const wchar_t* s = value;
    switch (f.form) {
        case Form::Text: {
            auto* out = reinterpret_cast<wchar_t*>(p);
            size_t n = std::wcslen(value);
            if (n > size_t(f.units) - 1) n = f.units - 1;
            std::memcpy(out, value, n * sizeof(wchar_t));
            out[n] = 0;
            break;
        }
        case Form::Int:
            put(0, ReadInt(s));
            break;
        case Form::Colour:
            if (*s == L'#') {
                ++s;
                put(0, ReadInt(s));
            } else {
                put(0, 0);
            }
            break;
        case Form::Pair: {
            const wchar_t* comma = std::wcschr(value, L',');
            if (!comma) break;
            int32_t first = ReadInt(s);
            const wchar_t* second = comma + 1;
            put(0, first);
            put(4, ReadInt(second));
            break;
        }
        case Form::FontSize: {
            int32_t v = ReadInt(s);
            put(0, v == 0 ? 12 : v);
            break;
        }
        case Form::FontWeight: {
            int32_t v = ReadInt(s);
            put(0, v < 100 ? 100 : v);  // negative weights too
            break;
        }
        case Form::Byte:
            *p = static_cast<uint8_t>(ReadInt(s));
            break;
        case Form::Char: {
            wchar_t c = value[0];
            std::memcpy(p, &c, sizeof c);
            break;
        }
        case Form::Frame:
            for (int i = 0; i < 4; ++i) {
                put(size_t(i) * 4, ReadInt(s));
                const wchar_t* comma = std::wcschr(s, L',');
                if (!comma) break;
                s = comma + 1;
            }
            break;
    }
}

void ApplyLine(SkinDescription* d, const Section* section, const wchar_t* line) {
    const wchar_t* eq = std::wcschr(line, L'=');
    if (!eq || !section) return;
    size_t keyLength = eq - line;
    for (size_t i = 0; i < section->keyCount; ++i) {
        const KeyField& f = section->keys[i];
        if (std::wcslen(f.key) == keyLength && std::wcsncmp(f.key, line, keyLength) == 0) {
            Store(reinterpret_cast<uint8_t*>(d) + section->offset, f, eq + 1);
            return;
        }
    }
}

int32_t BoundTo(int32_t v, int32_t low, int32_t high) {
    return v < low ? low : v > high ? high : v;
}

void BoundPoint(SkinPoint& p) {
    p.x = BoundTo(p.x, -kMaxSkinExtent, kMaxSkinExtent);
    p.y = BoundTo(p.y, -kMaxSkinExtent, kMaxSkinExtent);
}

void BoundLayout(CandidateLayout& L) {
    for (SkinPoint* p : {&L.pageDownButton, &L.pageUpButton, &L.punctuationButton, &L.widthButton,
                         &L.extension1Button, &L.extension2Button, &L.codeOrigin,
                         &L.candidateOrigin, &L.stretchX, &L.stretchY, &L.embedOffset})
        BoundPoint(*p);
    for (int32_t* v :
         {&L.indexGap, &L.hintGap, &L.candidateGap, &L.lineGap, &L.rightMargin, &L.bottomMargin})
        *v = BoundTo(*v, -kMaxSkinExtent, kMaxSkinExtent);
    L.minWidth = BoundTo(L.minWidth, 0, kMaxSkinExtent);
    L.minHeight = BoundTo(L.minHeight, 0, kMaxSkinExtent);
    for (int32_t& f : L.textFrame) f = BoundTo(f, -kMaxSkinExtent, kMaxSkinExtent);
}

}  // namespace

void BoundSkinGeometry(SkinDescription* d) {
    if (!d) return;
    StatusBarLayout& bar = d->statusBar;
    for (SkinPoint* p : {&bar.modeButton, &bar.punctuationButton, &bar.widthButton,
                         &bar.softKeyboardButton, &bar.menuButton, &bar.logo, &bar.extension1Button,
                         &bar.extension2Button, &bar.scriptButton})
        BoundPoint(*p);
    for (CandidateLayout* L : {&d->mergedH, &d->mergedV, &d->embeddedH, &d->embeddedV})
        BoundLayout(*L);
    for (int32_t* size : {&d->text.codeFontSize, &d->text.candidateFontSize})
        *size = BoundTo(*size, -kMaxSkinFontSize, kMaxSkinFontSize);
}

SkinIniResult ParseSkinIni(SkinDescription* d, const uint8_t* bytes, size_t byteCount) {
    std::memset(d, 0, sizeof *d);
    int count = 0;
    wchar_t* text = DecodeTextBuffer(bytes, byteCount, &count);
    if (!text) return kSkinIniNoText;
    if (count < kSkinIniVersionUnits ||
        std::wmemcmp(text, kSkinIniVersionLine, kSkinIniVersionUnits) != 0) {
        std::free(text);
        return kSkinIniBadVersion;
    }
    const Section* section = nullptr;
    wchar_t line[kSkinIniLineUnits + 1];
    int i = 0;
    while (i < count) {
        while (i < count && (text[i] == L'\r' || text[i] == L'\n')) ++i;
        if (i >= count) break;
        int n = 0;
        while (i < count && n < kSkinIniLineUnits && text[i] != L'\r' && text[i] != L'\n')
            line[n++] = text[i++];
        line[n] = 0;
        if (line[0] == L';') continue;
        if (line[0] == L'[' && line[1] == L'-') {
            section = nullptr;
            for (const Section& s : kSections)
                if (std::wcscmp(line, s.head) == 0) section = &s;
            continue;
        }
        ApplyLine(d, section, line);
    }
    std::free(text);
    BoundSkinGeometry(d);
    return d->info.name[0] ? kSkinIniOk : kSkinIniNoName;
}
