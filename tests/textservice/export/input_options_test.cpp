// The input-option section: one pair onto a dme block, the whole body back out.
#include "textservice/export/input_options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "engine/effective_settings.h"

namespace {

std::unique_ptr<DmeConfigData> ZeroDme() { return std::make_unique<DmeConfigData>(); }

std::wstring Written(const DmeConfigData* dme, int count = 4096) {
    std::wstring buffer(count, L'\x7F');
    WriteInputOptions(dme, buffer.data(), count);
    return buffer.c_str();
}

// The pair (key, value) applied to a field holding `before` gives `after`.
TEST(ParseInputOptions, OnePairChangesItsField) {
    struct Case {
        const char* name;
        const wchar_t* key;
        const wchar_t* value;
        uint32_t DmeConfigData::*word;  // or
        uint8_t DmeConfigData::*byte;
        uint32_t before;
        uint32_t after;
    } cases[] = {
        {"decimal", L"候选唯一自动上屏码长", L"4", nullptr, &DmeConfigData::autoCommitLength, 0, 4},
        {"leading number", L"空码顶屏码长", L"12abc", nullptr, &DmeConfigData::emptyTopLength, 0,
         12},
        {"top alias", L"智能动态上屏码长", L"3", nullptr, &DmeConfigData::emptyTopLength, 0, 3},
        {"clear", L"空码清屏码长", L"3", nullptr, &DmeConfigData::emptyClearLength, 0, 3},
        {"clear alias", L"空码自动清除码长", L"3", nullptr, &DmeConfigData::emptyClearLength, 0, 3},
        {"no number", L"显示码表词语码长", L"x5", nullptr, &DmeConfigData::showWordsLength, 7, 0},
        {"above a byte is held at 255", L"显示后续编码码长", L"300", nullptr,
         &DmeConfigData::showNextLength, 0, 255},
        {"far above", L"显示后续编码码长", L"99999999999", nullptr, &DmeConfigData::showNextLength,
         0, 255},
        {"255 itself", L"显示后续编码码长", L"255", nullptr, &DmeConfigData::showNextLength, 0,
         255},
        {"ascii char", L"查询输入字符", L"?", nullptr, &DmeConfigData::wildcardChar, 0, '?'},
        {"keypad star", L"万能键", L"＊", nullptr, &DmeConfigData::wildcardChar, 0, 0x0A},
        {"full-width question mark", L"查询输入字符", L"？", nullptr, &DmeConfigData::wildcardChar,
         '?', 0},
        {"empty char", L"临时英文引导字符", L"", nullptr, &DmeConfigData::tempEnglishLead, 'e', 0},
        {"first char only", L"临时辅码引导字符", L"~a", nullptr, &DmeConfigData::auxiliaryLead, 0,
         '~'},
        {"secondary", L"临时次显引导字符", L"．", nullptr, &DmeConfigData::secondaryLead, 0, 0x0E},
        {"yes", L"仅在空码时显示后续编码", L"是", &DmeConfigData::inputOptions, nullptr, 0, 0x2},
        {"shi", L"开启首键查询", L"shi", &DmeConfigData::inputOptions, nullptr, 0, 0x8},
        {"repeat takes no shi", L"开启查询键重复输入", L"shi", &DmeConfigData::inputOptions,
         nullptr, 0x20, 0},
        {"repeat yes", L"开启查询键重复输入", L"是", &DmeConfigData::inputOptions, nullptr, 0,
         0x20},
        {"toggle on", L"查询输入只查单字", L"切换", &DmeConfigData::inputOptions, nullptr, 0x100,
         0x104},
        {"toggle off", L"自动上屏仅限全码", L"切换", &DmeConfigData::inputOptions, nullptr, 0x101,
         0x1},
        {"no clears", L"智能顶屏仅限全码", L"否", &DmeConfigData::inputOptions, nullptr, 0x201,
         0x1},
        {"other value clears", L"以最简模式识别上/顶/清屏", L"yes", &DmeConfigData::inputOptions,
         nullptr, 0x400, 0},
        {"unknown key", L"候选唯一自动上屏码长 ", L"4", nullptr, &DmeConfigData::autoCommitLength,
         9, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dme = ZeroDme();
        if (c.word) dme.get()->*c.word = c.before;
        if (c.byte) dme.get()->*c.byte = static_cast<uint8_t>(c.before);
        ParseInputOptions(dme.get(), c.key, c.value);
        EXPECT_EQ(c.word ? dme.get()->*c.word : dme.get()->*c.byte, c.after);
    }
}

TEST(ParseInputOptions, ListKeysSetTheirBitOnlyForTheirCharacters) {
    auto dme = ZeroDme();
    dme->keyClass[0x0B] = kKeyCodeStart;
    dme->keyClass['a'] = kKeyCommitLead | kKeyCodeEnd;
    ParseInputOptions(dme.get(), L"上屏引导键", L"＋／中？");
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        uint8_t expected = 0;
        if (i == 0x0B) expected = kKeyCodeStart | kKeyCommitLead;
        if (i == 0x0F) expected = kKeyCommitLead;
        if (i == 'a') expected = kKeyCodeEnd;  // its old lead bit is cleared, the other kept
        EXPECT_EQ(dme->keyClass[i], expected);
    }
    ParseInputOptions(dme.get(), L"编码截止键", L"");
    EXPECT_EQ(dme->keyClass['a'], 0);
    ParseInputOptions(dme.get(), L"数字后英文标点", L".,");
    EXPECT_EQ(dme->keyClass['.'], kKeyEnglishPunctAfterDigit);
    EXPECT_EQ(dme->keyClass[','], kKeyEnglishPunctAfterDigit);
    EXPECT_TRUE(Written(dme.get()).find(L"上屏引导键=＋／\r\n") != std::wstring::npos);
}

constexpr wchar_t kGolden[] =
    L"\r\n"
    L"候选唯一自动上屏码长=4\r\n"
    L"空码顶屏码长=5\r\n"
    L"空码清屏码长=6\r\n"
    L"显示码表词语码长=0\r\n"
    L"显示后续编码码长=255\r\n\r\n"
    L"//如果未设置 显示后续编码码长，此项设置无效\r\n"
    L"仅在空码时显示后续编码=是\r\n\r\n"
    L"//仅在第一候选为全码输入(与输入编码完全匹配)时执行自动上屏\r\n"
    L"自动上屏仅限全码=否\r\n\r\n"
    L"//仅在第一候选为全码输入(与输入编码完全匹配)时执行顶屏操作\r\n"
    L"智能顶屏仅限全码=是\r\n\r\n"
    L"//此项为是时, 自动上屏/智能顶屏/空码清屏行为如下:\r\n"
    L"//如自动上屏码长为4, 仅在第4码时判断自动上屏, 清屏同理\r\n"
    L"//如顶屏码长为4, 仅在第5码时判断顶屏\r\n"
    L"以最简模式识别上/顶/清屏=否\r\n\r\n"
    L"开启首键查询=是\r\n"
    L"开启查询键重复输入=否\r\n"
    L"查询输入只查单字=是\r\n\r\n"
    L"//以下内容如无需定义，在 = 后留空。如设定需包含小键盘字符的，请使用全角字符指定，如："
    L"１２３４５６７８９０＋－＊／．\r\n"
    L"//查询字符即万能键\r\n"
    L"查询输入字符=＊\r\n\r\n"
    L"//开启临时英文输入状态，此时可使用快捷日期、人民币大写金额输入\r\n"
    L"临时英文引导字符=;\r\n\r\n"
    L"//如该引导符设为“~”，则“~abc”检索辅码中的“abc”开头的编码\r\n"
    L"临时辅码引导字符=\r\n\r\n"
    L"//如该引导符设为“~”，则“~abc”检索次显码表中的“abc”开头的编码\r\n"
    L"临时次显引导字符=~\r\n\r\n"
    L"//当首键输入引导键时，无论码长，在候选唯一时自动上屏\r\n"
    L"上屏引导键=＋／\r\n\r\n"
    L"//如果输入后有候选，则自动上屏\r\n"
    L"编码截止键=\r\n\r\n"
    L"//如果在输入数字后立即输入如下符号，则总是以英文符号上屏\r\n"
    L"数字后英文标点=,.\r\n\r\n";

std::unique_ptr<DmeConfigData> GoldenDme() {
    auto dme = ZeroDme();
    dme->autoCommitLength = 4;
    dme->emptyTopLength = 5;
    dme->emptyClearLength = 6;
    dme->showNextLength = 255;
    dme->inputOptions = kInputLongerOnEmpty | kInputEmptyTopFullCode | kInputWildcardFirstKey |
                        kInputWildcardSingle | kInputPrefixSearch;
    dme->wildcardChar = 0x0A;
    dme->tempEnglishLead = ';';
    dme->secondaryLead = '~';
    dme->keyClass[0x0B] = kKeyCommitLead | kKeyCodeStart;
    dme->keyClass[0x0F] = kKeyCommitLead;
    dme->keyClass['.'] = kKeyEnglishPunctAfterDigit;
    dme->keyClass[','] = kKeyEnglishPunctAfterDigit;
    return dme;
}

TEST(WriteInputOptions, WritesTheWholeBody) {
    auto dme = GoldenDme();
    std::wstring buffer(4096, L'\x7F');
    EXPECT_EQ(WriteInputOptions(dme.get(), buffer.data(), 4096),
              static_cast<int>(std::wcslen(kGolden)));
    EXPECT_EQ(std::wstring(buffer.c_str()), kGolden);
}

TEST(WriteInputOptions, ShortBufferIsCutAndTerminated) {
    auto dme = GoldenDme();
    const std::wstring full = kGolden;
    for (int count :
         {1, 2, 17, 300, static_cast<int>(full.size()), static_cast<int>(full.size()) + 1}) {
        SCOPED_TRACE(count);
        std::wstring buffer(count + 8, L'\x7F');
        const int n = WriteInputOptions(dme.get(), buffer.data(), count);
        EXPECT_EQ(n, std::min<int>(count - 1, full.size()));
        EXPECT_EQ(std::wstring(buffer.data(), n), full.substr(0, n));
        EXPECT_EQ(buffer[n], L'\0');
        for (int i = count; i < count + 8; ++i) EXPECT_EQ(buffer[i], L'\x7F') << "past the end";
    }
    wchar_t untouched = L'x';
    EXPECT_EQ(WriteInputOptions(dme.get(), &untouched, 0), 0);
    EXPECT_EQ(untouched, L'x');
}

// Applies every "key=value" line of a body the way the settings-text import hands them.
void ParseBody(DmeConfigData* dme, const std::wstring& body) {
    size_t pos = 0;
    while (pos < body.size()) {
        size_t end = body.find(L"\r\n", pos);
        if (end == std::wstring::npos) end = body.size();
        const std::wstring line = body.substr(pos, end - pos);
        pos = end + 2;
        if (line.empty() || line.starts_with(L"//")) continue;
        const size_t eq = line.find(L'=');
        ParseInputOptions(dme, line.substr(0, eq), line.substr(eq + 1));
    }
}

// Random blocks over the values the text can carry: parse(write(x)) == x.
TEST(InputOptionsText, RoundTripsGeneratedBlocks) {
    std::mt19937 random(19);
    const uint32_t stored = kInputLongerOnEmpty | kInputWildcardSingle | kInputWildcardFirstKey |
                            kInputWildcardRepeat | kInputAutoCommitFullCode |
                            kInputEmptyTopFullCode | kInputExactLengths;
    auto randomChar = [&]() -> uint8_t {
        switch (random() % 3) {
            case 0:
                return 0;
            case 1:
                return static_cast<uint8_t>(1 + random() % 0x1F);  // keypad and control bytes
            default:
                return static_cast<uint8_t>(0x20 + random() % 0x60);
        }
    };
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        auto x = ZeroDme();
        x->inputOptions = random() & stored;
        for (uint8_t* b : {&x->autoCommitLength, &x->emptyTopLength, &x->emptyClearLength,
                           &x->showWordsLength, &x->showNextLength})
            *b = static_cast<uint8_t>(random());
        for (uint8_t* b :
             {&x->wildcardChar, &x->tempEnglishLead, &x->auxiliaryLead, &x->secondaryLead})
            *b = randomChar();
        for (int i = 1; i < 128; ++i) x->keyClass[i] = static_cast<uint8_t>(random() % 8);
        const std::wstring body = Written(x.get());

        auto y = ZeroDme();
        ParseBody(y.get(), body);
        EXPECT_EQ(std::memcmp(x.get(), y.get(), sizeof(DmeConfigData)), 0) << body.size();
        EXPECT_EQ(Written(y.get()), body);
    }
}

}  // namespace
