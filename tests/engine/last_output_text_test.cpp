// The buffer of the last 63 output characters.
#include <gtest/gtest.h>

#include <string>

#include "learning_fixture.h"

using namespace learning_test;

namespace {

std::wstring Buffer(const Engine* e) {
    return std::wstring(e->ime->lastOutput, e->ime->lastOutputCount);
}

void SetBuffer(Engine* e, const std::wstring& s) {
    std::memset(e->ime->lastOutput, 0, sizeof e->ime->lastOutput);
    std::memcpy(e->ime->lastOutput, s.data(), sizeof(wchar_t) * s.size());
    e->ime->lastOutputCount = static_cast<uint32_t>(s.size());
}

TEST(AppendOutputText, KeepsTheLast63Characters) {
    const std::wstring x62(62, L'x'), x63(63, L'x'), x70(70, L'y');
    const std::wstring pair = L"\xD840\xDC00";
    struct Case {
        const char* name;
        std::wstring before;
        std::wstring text;
        std::wstring after;
    };
    const Case cases[] = {
        {"appended", L"你", L"好吗", L"你好吗"},
        {"full stop empties", L"你好", L"。", L""},
        {"line break empties", L"你好", L"\r\n", L""},
        {"LF empties", L"你好", L"\n", L""},
        {"ellipsis empties", L"你好", L"…", L""},
        {"exclamation empties", L"你好", L"！", L""},
        {"semicolon empties", L"你好", L"；", L""},
        {"question empties", L"你好", L"？", L""},
        {"break only at the start", L"你好", L"好。", L"你好好。"},
        {"oldest dropped", L"abc", x62, L"c" + x62},
        {"63 replace", L"abc", x63, x63},
        {"longer texts give their first 63", L"abc", x70, x70.substr(0, 63)},
        {"a long text starting with a break still replaces", L"abc", L"。" + x70,
         L"。" + x70.substr(0, 62)},
        {"empty text changes nothing", L"abc", L"", L"abc"},
        {"no half pair left at the front", pair + std::wstring(61, L'a'), L"bb",
         std::wstring(61, L'a') + L"bb"},
        {"no half pair at the cut", L"", std::wstring(62, L'a') + pair, std::wstring(62, L'a')},
    };
    LearningEngine t({{"a", "阿", 1}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetBuffer(t.e, c.before);
        EXPECT_EQ(Engine::AppendOutputText(t.e, c.text.c_str()), 0);
        EXPECT_EQ(Buffer(t.e), c.after);
        EXPECT_EQ(t.e->ime->lastOutput[t.e->ime->lastOutputCount], 0);
    }
}

TEST(AppendOutputText, WithoutATextTakesThePickedText) {
    LearningEngine t({{"a", "阿", 1}});
    SetBuffer(t.e, L"前");
    const std::wstring picked = L"词语";
    std::memcpy(t.e->input.pickedText, picked.c_str(), sizeof(wchar_t) * (picked.size() + 1));
    t.e->input.pickedLength = static_cast<uint32_t>(picked.size());
    Engine::AppendOutputText(t.e, nullptr);
    EXPECT_EQ(Buffer(t.e), L"前词语");
    // A damaged count reads as the 63 the buffer can hold.
    t.e->ime->lastOutputCount = 1000;
    Engine::AppendOutputText(t.e, L"z");
    EXPECT_EQ(t.e->ime->lastOutputCount, 63u);
    EXPECT_EQ(t.e->ime->lastOutput[62], L'z');
}

}  // namespace
