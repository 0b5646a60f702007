#include "ui/status/status_text.h"

#include <cwchar>

#include "ui/menus/class_alias.h"

namespace {

constexpr uint32_t kStateInputDisabled = 0x8;  // the keyboard is disabled for the document

class BoundedText {
public:
    BoundedText(wchar_t* out, int units) : out_(out), units_(units) {
        if (units_ > 0) out_[0] = 0;
    }
    void Add(const wchar_t* text) {
        for (; *text && length_ < units_ - 1; ++text) out_[length_++] = *text;
        if (units_ > 0) out_[length_] = 0;
    }
    int length() const { return length_; }

private:
    wchar_t* out_;
    int units_;
    int length_ = 0;
};

bool Open(const MappedFile* f) { return f && f->view; }

}  // namespace

int BuildStatusText(const Engine* e, bool capsLock, wchar_t* out, int units) {
    BoundedText text(out, units);
    if (!e || !out || units <= 0) return 0;
    const uint32_t state = e->state;
    const uint32_t options = e->ime ? e->ime->options : 0;
    if (state & kStateInputDisabled)
        text.Add(L"当前状态：禁用");
    else if (state & kStateImeClosed)
        text.Add(L"当前状态：关闭");
    else if (capsLock)
        text.Add(L"当前状态：大写");
    else if (state & kStateEnglishMode)
        text.Add(L"当前状态：英文");
    else
        text.Add(L"当前状态：中文");
    text.Add((state & kStateFullWidthOutput) ? L"，全角" : L"，半角");
    text.Add((state & kStateEnglishPunct) ? L"，英文标点" : L"，中文标点");
    if (Open(e->traditionalTable))
        text.Add((options & kImeTraditionalOutput) ? L"，繁体\r\n" : L"，简体\r\n");
    else if (Open(e->simplifiedTable))
        text.Add((options & kImeSimplifiedOutput) ? L"，简体\r\n" : L"，繁体\r\n");
    wchar_t main[kClassAliasUnits], auxiliary[kClassAliasUnits], secondary[kClassAliasUnits];
    ClassAlias(e, kMainCodeClass, main);
    ClassAlias(e, kAuxiliaryTableClass, auxiliary);
    ClassAlias(e, kSecondaryTableClass, secondary);
    if (auxiliary[0]) {
        const wchar_t* mainName = main[0] ? main : L"主码表";
        const bool mainOn = options & kImeMainTable, auxOn = options & kImeAuxTable;
        text.Add(L"输入方案：");
        if (mainOn && !auxOn) {
            text.Add(mainName);
        } else if (auxOn && !mainOn) {
            text.Add(auxiliary);
        } else {
            text.Add(mainName);
            text.Add(L"+");
            text.Add(auxiliary);
        }
    }
    if (secondary[0]) {
        text.Add((options & kImeSearchSecondary)    ? L"，检索"
                 : (options & kImeSecondaryOnEmpty) ? L"，空候选时检索"
                                                    : L"，不检索");
        text.Add(secondary);
    }
    return text.length();
}
