#include "ui/softkbd/soft_keyboard_layouts.h"

#include <cwchar>

#include "ui/softkbd/soft_keyboard_keys.h"

namespace {

// The keys that carry characters, in row order: the digit row, the Q row (with the bracket
// and backslash keys), the A row (with semicolon and quote) and the Z row.
constexpr int kCharacterKeys[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 15, 16, 17,
                                  18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 29, 30, 31, 32, 33, 34,
                                  35, 36, 37, 38, 39, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51};
constexpr int kCharacterKeyCount = sizeof kCharacterKeys / sizeof kCharacterKeys[0];
constexpr int kQRowStart = 13;  // position of the Q key in kCharacterKeys

// A layout: its lower and upper labels laid over the character keys from position `start`
// on; a blank leaves the key without that label.
struct LayoutText {
    int start;
    const wchar_t* lower;
    const wchar_t* upper;
};

const LayoutText kLayouts[kSoftKeyboardLayoutCount] = {
    // 1 the PC keyboard
    {0, L"`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./",
     L"~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?"},
    // 2 Greek
    {kQRowStart, L"αβγδεζηθικλμνξοπρστυφχψω", L"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"},
    // 3 Russian
    {kQRowStart, L"абвгдеёжзийклмнопрстуфхцчшщъыьэюя", L"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
    // 4 Bopomofo and tone marks
    {0, L"ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦㄧㄨㄩˉˊˇˋ˙", L""},
    // 5 pinyin vowels
    {kQRowStart, L"āáǎàōóǒòêēéěèīíǐìūúǔùǖǘǚǜü", L""},
    // 6 hiragana
    {0,
     L"ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてでとどなにぬね",
     L"のはばぱひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろゎわゐゑをん"},
    // 7 katakana
    {0,
     L"ァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデトドナニヌネ",
     L"ノハバパヒビピフブプヘベペホボポマミムメモャヤュユョヨラリルレロヮワヰヱヲンヴヵヶ"},
    // 8 Chinese punctuation
    {0, L"。，、；：？！…—·‘’“”〔〕〈〉《》「」『』〖〗【】（）［］｛｝", L""},
    // 9 number forms
    {0, L"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩⅪⅫ⒈⒉⒊⒋⒌⒍⒎⒏⒐⒑⒒⒓⒔⒕⒖⒗⒘⒙⒚⒛㈠㈡㈢㈣㈤㈥㈦㈧㈨㈩①②③④⑤", L"⑥⑦⑧⑨⑩⑴⑵⑶⑷⑸⑹⑺⑻⑼⑽⑾⑿⒀⒁⒂⒃⒄⒅⒆⒇"},
    // 10 mathematical signs
    {0, L"≈≡≠＝≤≥＜＞≮≯∷±＋－×÷／∫∮∝∞∧∨∑∏∪∩∈∵∴⊥∥∠⌒⊙≌∽√", L""},
    // 11 box drawing
    {0, L"─━│┃┄┅┆┇┈┉┊┋┌┍┎┏┐┑┒┓└┕┖┗┘┙┚┛├┝┞┟┠┡┢┣┤┥┦┧┨┩┪┫┬┭┮", L"┯┰┱┲┳┴┵┶┷┸┹┺┻┼┽┾┿╀╁╂╃╄╅╆╇╈╉╊╋"},
    // 12 Chinese numerals and units
    {1, L"一二三四五六七八九〇  十百千万亿兆分厘毫", L"壹贰叁肆伍陆柒捌玖零  拾佰仟萬億吉角元整"},
    // 13 other symbols
    {0, L"§№☆★○●◎◇◆□℃‰€■△▲※→←↑↓〓¤°＃＆＠＼︿＿￣―♂♀", L""},
};

struct LabelTable {
    SoftKeyLabel labels[kSoftKeyboardLayoutCount][kSoftKeyLabels];
    LabelTable() : labels{} {
        for (int l = 0; l < kSoftKeyboardLayoutCount; ++l) {
            const LayoutText& t = kLayouts[l];
            const size_t lowerCount = std::wcslen(t.lower), upperCount = std::wcslen(t.upper);
            for (int i = t.start; i < kCharacterKeyCount; ++i) {
                SoftKeyLabel& k = labels[l][kCharacterKeys[i]];
                const size_t at = static_cast<size_t>(i - t.start);
                if (at < lowerCount && t.lower[at] != L' ') k.lower = t.lower[at];
                if (at < upperCount && t.upper[at] != L' ') k.upper = t.upper[at];
            }
        }
    }
};

const LabelTable& Labels() {
    static const LabelTable table;
    return table;
}

}  // namespace

SoftKeyLabel SoftKeyLabelOf(uint32_t layout, int key) {
    if (layout < 1 || layout > kSoftKeyboardLayoutCount || key < 0 || key >= kSoftKeyLabels)
        return {};
    return Labels().labels[layout - 1][key];
}

wchar_t SoftKeyboardCharOf(uint32_t layout, uint32_t virtualKey, bool shifted) {
    if (virtualKey == 0) return 0;
    for (int key = 0; key < kSoftKeyLabels; ++key) {
        if (SoftKeyVirtualKey(key) != virtualKey) continue;
        const SoftKeyLabel label = SoftKeyLabelOf(layout, key);
        return shifted ? label.upper : label.lower;
    }
    return 0;
}
