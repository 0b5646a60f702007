#include "ui/windows/engine_windows.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/ui_engine_fixture.h"

namespace {

TEST(WideToUtf8Bounded, Table) {
    struct Case {
        const char* name;
        std::wstring text;
        size_t capacity;
        int need;
        std::string out;
    } cases[] = {
        {"ASCII", L"abc", 128, 3, "abc"},
        {"Chinese", L"中文", 128, 6, "\xE4\xB8\xAD\xE6\x96\x87"},
        {"surrogate pair to four bytes", L"\xD83D\xDE00", 128, 4, "\xF0\x9F\x98\x80"},
        {"cut between characters", L"中文", 5, 6, "\xE4\xB8\xAD"},
        {"unpaired high surrogate", L"a\xD83Dz", 128, -1, "a"},
        {"at most 128 units", std::wstring(200, L'x'), 256, 128, std::string(128, 'x')},
    };
    for (const Case& c : cases) {
        char out[256];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(WideToUtf8Bounded(c.text.c_str(), out, c.capacity), c.need) << c.name;
        EXPECT_EQ(std::string(out), c.out) << c.name;
    }
}

TEST(EngineWindows, DestroyedAndForgotten) {
    testing_support::UiEngine t;
    HWND a = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                             nullptr);
    HWND b = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                             nullptr);
    t.e->windows.candidateWindow = a;
    t.e->windows.tipWindow = b;
    DestroyEngineWindows(t.e);
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
    EXPECT_EQ(t.e->windows.candidateWindow, nullptr);
    EXPECT_EQ(t.e->windows.tipWindow, nullptr);
    DestroyEngineWindows(t.e);  // nothing left: nothing happens
}

}  // namespace
