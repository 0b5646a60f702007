#include "textservice/export/input_options.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/effective_settings.h"

namespace {

using std::wstring_view;

constexpr uint8_t kMaxLengthByte = 255;

struct LengthKey {
    const wchar_t* key;
    uint8_t DmeConfigData::*field;
};
const LengthKey kLengthKeys[] = {
    {L"候选唯一自动上屏码长", &DmeConfigData::autoCommitLength},
    {L"空码顶屏码长", &DmeConfigData::emptyTopLength},
    {L"智能动态上屏码长", &DmeConfigData::emptyTopLength},
    {L"空码清屏码长", &DmeConfigData::emptyClearLength},
    {L"空码自动清除码长", &DmeConfigData::emptyClearLength},
    {L"显示码表词语码长", &DmeConfigData::showWordsLength},
    {L"显示后续编码码长", &DmeConfigData::showNextLength},
};

const LengthKey kCharKeys[] = {
    {L"查询输入字符", &DmeConfigData::wildcardChar},
    {L"万能键", &DmeConfigData::wildcardChar},
    {L"临时英文引导字符", &DmeConfigData::tempEnglishLead},
    {L"临时辅码引导字符", &DmeConfigData::auxiliaryLead},
    {L"临时次显引导字符", &DmeConfigData::secondaryLead},
};

struct SwitchKey {
    const wchar_t* key;
    uint32_t bit;
    bool acceptsShi;
};
const SwitchKey kSwitchKeys[] = {
    {L"仅在空码时显示后续编码", kInputLongerOnEmpty, true},
    {L"查询输入只查单字", kInputWildcardSingle, true},
    {L"开启首键查询", kInputWildcardFirstKey, true},
    {L"开启查询键重复输入", kInputWildcardRepeat, false},
    {L"自动上屏仅限全码", kInputAutoCommitFullCode, true},
    {L"智能顶屏仅限全码", kInputEmptyTopFullCode, true},
    {L"以最简模式识别上/顶/清屏", kInputExactLengths, true},
};

struct ClassKey {
    const wchar_t* key;
    uint8_t bit;
};
const ClassKey kClassKeys[] = {
    {L"上屏引导键", kKeyCommitLead},
    {L"编码截止键", kKeyCodeEnd},
    {L"数字后英文标点", kKeyEnglishPunctAfterDigit},
};

// The leading decimal number, held at 255 (a byte field must not wrap).
uint8_t LeadingNumber(wstring_view value) {
    unsigned n = 0;
    for (wchar_t c : value) {
        if (c < L'0' || c > L'9') break;
        n = std::min<unsigned>(n * 10 + (c - L'0'), kMaxLengthByte);
    }
    return static_cast<uint8_t>(n);
}

void SetClassList(DmeConfigData* dme, uint8_t bit, wstring_view value) {
    for (uint8_t& entry : dme->keyClass) entry &= static_cast<uint8_t>(~bit);
    for (wchar_t c : value) {
        const uint8_t b = OptionCharByte(c);
        if (b) dme->keyClass[b] |= bit;
    }
}

void SetSwitch(DmeConfigData* dme, const SwitchKey& k, wstring_view value) {
    if (value == L"切换")
        dme->inputOptions ^= k.bit;
    else if (value == L"是" || (k.acceptsShi && value == L"shi"))
        dme->inputOptions |= k.bit;
    else
        dme->inputOptions &= ~k.bit;
}

class BodyWriter {
public:
    explicit BodyWriter(const DmeConfigData* dme) : dme_(dme) {}

    void Text(const wchar_t* text) { out_ += text; }
    void Number(const wchar_t* key, uint8_t value) {
        out_ += key;
        out_ += L'=';
        out_ += std::to_wstring(value);
        out_ += L"\r\n";
    }
    void Switch(const wchar_t* key, uint32_t bit) {
        out_ += key;
        out_ += (dme_->inputOptions & bit) ? L"=是\r\n" : L"=否\r\n";
    }
    void Char(const wchar_t* key, uint8_t value) {
        out_ += key;
        out_ += L'=';
        if (value) out_ += OptionByteChar(value);
        out_ += L"\r\n\r\n";
    }
    void List(const wchar_t* key, uint8_t bit) {
        out_ += key;
        out_ += L'=';
        for (int i = 1; i < 128; ++i)
            if (dme_->keyClass[i] & bit) out_ += OptionByteChar(static_cast<uint8_t>(i));
        out_ += L"\r\n\r\n";
    }
    const std::wstring& Result() const { return out_; }

private:
    const DmeConfigData* dme_;
    std::wstring out_;
};

}  // namespace

uint8_t OptionCharByte(wchar_t c) {
    if (c < 128) return static_cast<uint8_t>(c);
    if (c >= 0xFF0A && c <= 0xFF19) return static_cast<uint8_t>(c - 0xFF00);
    return 0;
}

// Only the keypad bytes have a full-width form that reads back; other control bytes are
// written as themselves.
wchar_t OptionByteChar(uint8_t c) {
    return c >= 0x0A && c <= 0x19 ? static_cast<wchar_t>(0xFF00 + c) : c;
}

void ParseInputOptions(DmeConfigData* dme, wstring_view key, wstring_view value) {
    if (!dme) return;
    for (const LengthKey& k : kLengthKeys)
        if (key == k.key) {
            dme->*k.field = LeadingNumber(value);
            return;
        }
    for (const LengthKey& k : kCharKeys)
        if (key == k.key) {
            dme->*k.field = value.empty() ? 0 : OptionCharByte(value.front());
            return;
        }
    for (const SwitchKey& k : kSwitchKeys)
        if (key == k.key) {
            SetSwitch(dme, k, value);
            return;
        }
    for (const ClassKey& k : kClassKeys)
        if (key == k.key) {
            SetClassList(dme, k.bit, value);
            return;
        }
}

int WriteInputOptions(const DmeConfigData* dme, wchar_t* buffer, int count) {
    if (!buffer || count <= 0) return 0;
    buffer[0] = L'\0';
    if (!dme) return 0;
    BodyWriter w(dme);
    w.Text(L"\r\n");
    w.Number(L"候选唯一自动上屏码长", dme->autoCommitLength);
    w.Number(L"空码顶屏码长", dme->emptyTopLength);
    w.Number(L"空码清屏码长", dme->emptyClearLength);
    w.Number(L"显示码表词语码长", dme->showWordsLength);
    w.Number(L"显示后续编码码长", dme->showNextLength);
    w.Text(L"\r\n");
    w.Text(L"//如果未设置 显示后续编码码长，此项设置无效\r\n");
    w.Switch(L"仅在空码时显示后续编码", kInputLongerOnEmpty);
    w.Text(L"\r\n");
    w.Text(L"//仅在第一候选为全码输入(与输入编码完全匹配)时执行自动上屏\r\n");
    w.Switch(L"自动上屏仅限全码", kInputAutoCommitFullCode);
    w.Text(L"\r\n");
    w.Text(L"//仅在第一候选为全码输入(与输入编码完全匹配)时执行顶屏操作\r\n");
    w.Switch(L"智能顶屏仅限全码", kInputEmptyTopFullCode);
    w.Text(L"\r\n");
    w.Text(L"//此项为是时, 自动上屏/智能顶屏/空码清屏行为如下:\r\n");
    w.Text(L"//如自动上屏码长为4, 仅在第4码时判断自动上屏, 清屏同理\r\n");
    w.Text(L"//如顶屏码长为4, 仅在第5码时判断顶屏\r\n");
    w.Switch(L"以最简模式识别上/顶/清屏", kInputExactLengths);
    w.Text(L"\r\n");
    w.Switch(L"开启首键查询", kInputWildcardFirstKey);
    w.Switch(L"开启查询键重复输入", kInputWildcardRepeat);
    w.Switch(L"查询输入只查单字", kInputWildcardSingle);
    w.Text(L"\r\n");
    w.Text(
        L"//以下内容如无需定义，在 = 后留空。如设定需包含小键盘字符的，请使用全角字符指定，"
        L"如：１２３４５６７８９０＋－＊／．\r\n");
    w.Text(L"//查询字符即万能键\r\n");
    w.Char(L"查询输入字符", dme->wildcardChar);
    w.Text(L"//开启临时英文输入状态，此时可使用快捷日期、人民币大写金额输入\r\n");
    w.Char(L"临时英文引导字符", dme->tempEnglishLead);
    w.Text(L"//如该引导符设为“~”，则“~abc”检索辅码中的“abc”开头的编码\r\n");
    w.Char(L"临时辅码引导字符", dme->auxiliaryLead);
    w.Text(L"//如该引导符设为“~”，则“~abc”检索次显码表中的“abc”开头的编码\r\n");
    w.Char(L"临时次显引导字符", dme->secondaryLead);
    w.Text(L"//当首键输入引导键时，无论码长，在候选唯一时自动上屏\r\n");
    w.List(L"上屏引导键", kKeyCommitLead);
    w.Text(L"//如果输入后有候选，则自动上屏\r\n");
    w.List(L"编码截止键", kKeyCodeEnd);
    w.Text(L"//如果在输入数字后立即输入如下符号，则总是以英文符号上屏\r\n");
    w.List(L"数字后英文标点", kKeyEnglishPunctAfterDigit);

    const std::wstring& text = w.Result();
    const size_t n = std::min(text.size(), static_cast<size_t>(count) - 1);
    std::memcpy(buffer, text.data(), n * sizeof(wchar_t));
    buffer[n] = L'\0';
    return static_cast<int>(n);
}
