// Punctuation output: replacements, alternating quotes, nesting book-title marks and the
// caret put back between brackets.
#include "engine/punctuation_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/platform.h"
#include "engine/symbol_display.h"

namespace {

void SetText(SymbolRecord& r, uint16_t kind, const wchar_t* text) {
    std::memset(&r, 0, sizeof r);
    r.kind = kind;
    std::wcsncpy(r.slots, text, kSymbolTextUnits - 1);
}
void SetPair(SymbolRecord& r, const wchar_t* first, const wchar_t* second) {
    std::memset(&r, 0, sizeof r);
    r.kind = kSymbolPair;
    std::wcsncpy(r.slots + kSymbolPairFirst, first, kSymbolPairUnits - 1);
    std::wcsncpy(r.slots + kSymbolPairSecond, second, kSymbolPairUnits - 1);
}

std::vector<std::pair<uint8_t, uint32_t>> g_events;
bool g_shiftDown = false;

class Punctuation : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(records, 0, sizeof records);
        SetText(records['<'], kSymbolText, L"《〈");
        SetText(records['>'], kSymbolSmart, L"〉》");
        SetText(records['.'], kSymbolText, L"。");
        SetText(records['^'], kSymbolText, L"……");
        SetPair(records['"'], L"“", L"”");
        SetText(records['('], kSymbolCaretLeft, L"（）");
        records['x'].kind = 9;
        BookTitleDepth() = 0;
        g_events.clear();
        g_shiftDown = false;
        platform_ = Win32Platform();
        platform_.keyEvent = [](uint8_t vk, uint32_t flags) { g_events.push_back({vk, flags}); };
        platform_.keyState = [](int vk) -> int16_t {
            return vk == VK_SHIFT && g_shiftDown ? int16_t(0x8000) : int16_t(0);
        };
        SetPlatform(&platform_);
    }
    void TearDown() override {
        SetPlatform(nullptr);
        BookTitleDepth() = 0;
    }
    std::wstring Expand(const std::wstring& text, int capacity = 64) {
        std::vector<wchar_t> out(capacity + 1, L'#');
        const int n = ExpandPunctuationOutput(records, text.c_str(), out.data(), capacity);
        EXPECT_EQ(out[n], 0);
        return std::wstring(out.data(), n);
    }

    SymbolRecord records[128];
    EnginePlatform platform_;
};

TEST_F(Punctuation, ReplacesCharacterByCharacter) {
    struct Case {
        const char* name;
        std::wstring in;
        std::wstring out;
    };
    const Case cases[] = {
        {"replacement", L"a.b", L"a。b"},
        {"replacement of two characters", L"^", L"……"},
        {"at or above 128 unchanged", L"中.", L"中。"},
        {"other kinds: the character itself", L"x!", L"x!"},
        {"keypad characters as their ASCII characters", std::wstring(1, wchar_t(0x0E)) + L"\x10",
         L".0"},
        {"empty text", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Expand(c.in), c.out);
    }
    EXPECT_TRUE(g_events.empty());
}

TEST_F(Punctuation, BookTitleMarksNest) {
    EXPECT_EQ(Expand(L"<"), L"《");
    EXPECT_EQ(Expand(L"<"), L"〈");
    EXPECT_EQ(Expand(L">"), L"〉");
    EXPECT_EQ(Expand(L">"), L"》");
    EXPECT_EQ(BookTitleDepth(), 0);
    // A closing mark with nothing open stays the outer one and the depth stays 0.
    EXPECT_EQ(Expand(L">>"), L"》》");
    EXPECT_EQ(BookTitleDepth(), 0);
    EXPECT_EQ(Expand(L"<<<>>>"), L"《〈〈〉〉》");
}

TEST_F(Punctuation, PairedQuotesAlternate) {
    EXPECT_EQ(Expand(L"\""), L"“");
    EXPECT_EQ(Expand(L"\""), L"”");
    EXPECT_EQ(Expand(L"\"a\""), L"“a”");
    EXPECT_EQ(records['"'].slots[kSymbolPairToggle], 0);
}

TEST_F(Punctuation, BracketsPutTheCaretBack) {
    EXPECT_EQ(Expand(L"("), L"（）");
    using Events = std::vector<std::pair<uint8_t, uint32_t>>;
    EXPECT_EQ(g_events, (Events{{VK_LEFT, KEYEVENTF_EXTENDEDKEY},
                                {VK_LEFT, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP}}));
    g_events.clear();
    g_shiftDown = true;
    EXPECT_EQ(Expand(L"("), L"（）");
    EXPECT_EQ(g_events, (Events{{VK_SHIFT, KEYEVENTF_KEYUP},
                                {VK_SHIFT, KEYEVENTF_KEYUP | KEYEVENTF_EXTENDEDKEY},
                                {VK_LEFT, KEYEVENTF_EXTENDEDKEY},
                                {VK_LEFT, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP}}));
}

TEST_F(Punctuation, OutputIsBoundedAndTerminated) {
    // Room for "a" and half of "……": the replacement is left out whole.
    EXPECT_EQ(Expand(L"a^b", 3), L"a");
    EXPECT_EQ(Expand(L"abc", 1), L"");
    wchar_t out[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(ExpandPunctuationOutput(records, nullptr, out, 4), 0);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(ExpandPunctuationOutput(nullptr, L"a.", out, 4), 2);
    EXPECT_EQ(std::wstring(out), L"a.");
    EXPECT_EQ(ExpandPunctuationOutput(records, L"a", nullptr, 4), 0);
}

TEST_F(Punctuation, UnterminatedRecordTextIsCut) {
    SymbolRecord& r = records[','];
    r.kind = kSymbolText;
    for (wchar_t& s : r.slots) s = L'，';
    const std::wstring out = Expand(L",");
    EXPECT_EQ(out.size(), size_t(kSymbolTextUnits - 1));
}

}  // namespace
