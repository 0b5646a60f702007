#include "ui/options/interface_options.h"

#include <cwchar>

namespace {

bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }

void SetBit(SkinConfigData* b, uint32_t bit, bool on) {
    if (on)
        b->options |= bit;
    else
        b->options &= ~bit;
}

// "切换" toggles, yes sets, anything else clears.
void YesNoToggle(SkinConfigData* b, uint32_t bit, const wchar_t* v, bool pinyinYes) {
    if (Is(v, L"切换"))
        b->options ^= bit;
    else
        SetBit(b, bit, Is(v, L"是") || (pinyinYes && Is(v, L"shi")));
}

void StoreName(wchar_t* out, const wchar_t* value) {
    size_t n = std::wcslen(value);
    if (n > size_t(kSkinNameMax)) n = kSkinNameMax;
    std::wmemcpy(out, value, n);
    out[n] = 0;
}

void StorePrefixes(SkinConfigData* b, const wchar_t* value) {
    b->prefixCount = 0;
    for (auto& p : b->prefixes) std::wmemset(p, 0, kSkinPrefixUnits);
    if (!*value) return;
    const wchar_t* s = value;
    while (b->prefixCount < kSkinPrefixSlots) {
        const wchar_t* end = std::wcschr(s, L',');
        size_t n = end ? size_t(end - s) : std::wcslen(s);
        wchar_t* slot = b->prefixes[b->prefixCount++];
        size_t keep = n < size_t(kSkinPrefixUnits - 1) ? n : kSkinPrefixUnits - 1;
        std::wmemcpy(slot, s, keep);
        slot[keep] = 0;
        if (!end) break;
        s = end + 1;
    }
}

}  // namespace

int ParseInterfaceOptions(SkinConfigData* b, const wchar_t* key, const wchar_t* v) {
    if (!b || !key || !v) return 0;
    if (Is(key, L"候选序号是否可见") || Is(key, L"houxuanxuhaoshifoukejian"))
        YesNoToggle(b, kSkinShowIndex, v, true);
    else if (Is(key, L"编码提示是否可见") || Is(key, L"bianmatishishifoukejian"))
        YesNoToggle(b, kSkinShowHints, v, true);
    else if (Is(key, L"界面按钮是否可见") || Is(key, L"jiemiananniusihfoukejian"))
        YesNoToggle(b, kSkinShowButtons, v, true);
    else if (Is(key, L"从右向左的文本"))
        YesNoToggle(b, kSkinRightToLeft, v, false);
    else if (Is(key, L"使用皮肤名称") || Is(key, L"shiyongpifumingcheng"))
        StoreName(b->skinName, v);
    else if (Is(key, L"候选列表排列样式")) {
        b->options &= ~(kSkinHorizontal | kSkinVerticalLeft);
        if (Is(v, L"横排")) b->options |= kSkinHorizontal;
        if (Is(v, L"左起纵向")) b->options |= kSkinVerticalLeft;
    } else if (Is(key, L"光标样式")) {
        b->options &= ~(kSkinCaretVertical | kSkinCaretHorizontal);
        if (Is(v, L"竖线")) b->options |= kSkinCaretVertical;
        if (Is(v, L"横线")) b->options |= kSkinCaretHorizontal;
    } else if (Is(key, L"光标宽度"))
        SetBit(b, kSkinCaretThin, Is(v, L"1"));
    else if (Is(key, L"英文和引导模式自动切换竖排窗口"))
        SetBit(b, kSkinVerticalInLeadModes, Is(v, L"是"));
    else if (Is(key, L"自动竖排的编码前缀"))
        StorePrefixes(b, v);
    return 0;
}

namespace {

struct Writer {
    wchar_t* out;
    int capacity;
    int used = 0;
    void Put(const wchar_t* s) {
        while (*s && used < capacity - 1) out[used++] = *s++;
        out[used] = 0;
    }
    void YesNo(const wchar_t* key, bool on, const wchar_t* end = L"\r\n") {
        Put(key);
        Put(on ? L"=是" : L"=否");
        Put(end);
    }
};

}  // namespace

int WriteInterfaceOptions(const SkinConfigData* b, wchar_t* buffer, int capacity) {
    if (!buffer || capacity <= 0) return 0;
    Writer w{buffer, capacity};
    buffer[0] = 0;
    if (!b) return 0;
    uint32_t o = b->options;
    w.Put(L"\r\n");
    w.YesNo(L"候选序号是否可见", o & kSkinShowIndex);
    w.YesNo(L"编码提示是否可见", o & kSkinShowHints);
    w.YesNo(L"界面按钮是否可见", o & kSkinShowButtons);
    w.YesNo(L"英文和引导模式自动切换竖排窗口", o & kSkinVerticalInLeadModes, L"\r\n\r\n");
    w.Put(
        L"//如果当前输入以下列编码开头，程序自动切换竖排窗口，最多可以定义16组编码，每组编码最长4"
        L"个字符，每组之间使用英文,分割，如zx,zy,zz\r\n");
    w.Put(L"自动竖排的编码前缀=");
    int count = b->prefixCount < 0                  ? 0
                : b->prefixCount > kSkinPrefixSlots ? kSkinPrefixSlots
                                                    : b->prefixCount;
    for (int i = 0; i < count; ++i) {
        if (i) w.Put(L",");
        wchar_t prefix[kSkinPrefixUnits];
        std::wmemcpy(prefix, b->prefixes[i], kSkinPrefixUnits);
        prefix[kSkinPrefixUnits - 1] = 0;
        w.Put(prefix);
    }
    w.Put(L"\r\n\r\n");
    w.YesNo(L"从右向左的文本", o & kSkinRightToLeft, L"\r\n\r\n");
    wchar_t name[kSkinNameUnits];
    std::wmemcpy(name, b->skinName, kSkinNameUnits);
    name[kSkinNameUnits - 1] = 0;
    w.Put(L"使用皮肤名称=");
    w.Put(name);
    w.Put(L"\r\n\r\n");
    w.Put(L"//可选：“横排”、“竖排”、“左起纵向”之一\r\n");
    w.Put((o & kSkinHorizontal)     ? L"候选列表排列样式=横排\r\n\r\n"
          : (o & kSkinVerticalLeft) ? L"候选列表排列样式=左起纵向\r\n\r\n"
                                    : L"候选列表排列样式=竖排\r\n\r\n");
    w.Put(L"//可选：“横线”、“竖线”、“不显示”之一\r\n");
    w.Put((o & kSkinCaretVertical)     ? L"光标样式=竖线\r\n\r\n"
          : (o & kSkinCaretHorizontal) ? L"光标样式=横线\r\n\r\n"
                                       : L"光标样式=不显示\r\n\r\n");
    w.Put(L"//可选：“1”、“2”之一\r\n");
    w.Put((o & kSkinCaretThin) ? L"光标宽度=1\r\n\r\n" : L"光标宽度=2\r\n\r\n");
    return w.used;
}

int ReadInterfaceOptionSlot(void* block, const wchar_t* key, const wchar_t* value) {
    return ParseInterfaceOptions(static_cast<SkinConfigData*>(block), key, value);
}

int WriteInterfaceOptionSlot(void* block, wchar_t* buffer, int count) {
    return WriteInterfaceOptions(static_cast<const SkinConfigData*>(block), buffer, count);
}
