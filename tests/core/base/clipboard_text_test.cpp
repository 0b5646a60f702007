#include "core/base/clipboard_text.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "support/exact_buffer.h"

using testing_support::ExactBuffer;

namespace {

// A clipboard in memory that records the calls made to it.
struct FakeClipboard {
    bool openOk = true;
    bool emptyOk = true;
    bool allocOk = true;
    bool setOk = true;
    bool lockOk = true;
    bool opened = false;
    int closes = 0;
    std::vector<std::string> calls;
    HGLOBAL content = nullptr;  // set data
    int frees = 0;
    // Read side: a block of size bytes at data.
    const void* data = nullptr;
    SIZE_T size = 0;
};
FakeClipboard g_fake;

BOOL WINAPI FakeOpen(HWND) {
    g_fake.calls.push_back("open");
    g_fake.opened = g_fake.openOk;
    return g_fake.openOk;
}
BOOL WINAPI FakeClose() {
    ++g_fake.closes;
    g_fake.opened = false;
    return TRUE;
}
BOOL WINAPI FakeEmpty() {
    g_fake.calls.push_back("empty");
    return g_fake.emptyOk;
}
HANDLE WINAPI FakeGetData(UINT format) {
    return format == CF_UNICODETEXT && g_fake.data ? reinterpret_cast<HANDLE>(1) : nullptr;
}
HANDLE WINAPI FakeSetData(UINT, HANDLE data) {
    g_fake.calls.push_back("set");
    if (!g_fake.setOk) return nullptr;
    g_fake.content = data;
    return data;
}
HGLOBAL WINAPI FakeAlloc(UINT flags, SIZE_T bytes) {
    g_fake.calls.push_back("alloc");
    return g_fake.allocOk ? GlobalAlloc(flags, bytes) : nullptr;
}
HGLOBAL WINAPI FakeFree(HGLOBAL memory) {
    ++g_fake.frees;
    return GlobalFree(memory);
}
LPVOID WINAPI FakeLock(HGLOBAL memory) {
    if (!g_fake.lockOk) return nullptr;
    if (memory == reinterpret_cast<HGLOBAL>(1)) return const_cast<void*>(g_fake.data);
    return GlobalLock(memory);
}
BOOL WINAPI FakeUnlock(HGLOBAL memory) {
    if (memory == reinterpret_cast<HGLOBAL>(1)) return TRUE;
    return GlobalUnlock(memory);
}
SIZE_T WINAPI FakeSize(HGLOBAL memory) {
    if (memory == reinterpret_cast<HGLOBAL>(1)) return g_fake.size;
    return GlobalSize(memory);
}

const ClipboardCalls kFake = {FakeOpen,  FakeClose, FakeEmpty, FakeGetData, FakeSetData,
                              FakeAlloc, FakeFree,  FakeLock,  FakeUnlock,  FakeSize};

class ClipboardFake : public ::testing::Test {
protected:
    void SetUp() override { g_fake = FakeClipboard(); }
    void TearDown() override {
        if (g_fake.content) GlobalFree(g_fake.content);
        EXPECT_FALSE(g_fake.opened) << "the clipboard was left open";
    }
};

TEST_F(ClipboardFake, SetFailuresAreReportedAndLeaveNothingBehind) {
    struct Case {
        const char* what;
        bool open, alloc, lock, empty, set;
        int result;
        std::vector<std::string> calls;
        int frees;
    };
    const Case cases[] = {
        {"success", true, true, true, true, true, 0, {"open", "alloc", "empty", "set"}, 0},
        {"cannot open", false, true, true, true, true, -1, {"open"}, 0},
        // The old content stays when the copy cannot be made.
        {"no memory", true, false, true, true, true, -1, {"open", "alloc"}, 0},
        {"cannot lock", true, true, false, true, true, -1, {"open", "alloc"}, 1},
        {"cannot empty", true, true, true, false, true, -1, {"open", "alloc", "empty"}, 1},
        {"cannot set", true, true, true, true, false, -1, {"open", "alloc", "empty", "set"}, 1},
    };
    for (const auto& c : cases) {
        if (g_fake.content) GlobalFree(g_fake.content);
        g_fake = FakeClipboard();
        g_fake.openOk = c.open;
        g_fake.allocOk = c.alloc;
        g_fake.lockOk = c.lock;
        g_fake.emptyOk = c.empty;
        g_fake.setOk = c.set;
        EXPECT_EQ(SetClipboardText(kFake, L"中文", 2), c.result) << c.what;
        EXPECT_EQ(g_fake.calls, c.calls) << c.what;
        EXPECT_EQ(g_fake.frees, c.frees) << c.what;
        EXPECT_EQ(g_fake.closes, c.open ? 1 : 0) << c.what;
        EXPECT_FALSE(g_fake.opened) << c.what;
    }
}

TEST_F(ClipboardFake, SetCopiesAtMostTheGivenUnits) {
    struct Case {
        const wchar_t* text;
        int chars;
        const wchar_t* stored;
    };
    const Case cases[] = {
        {L"中文abc", 3, L"中文a"},
        {L"ab", 10, L"ab"},  // stops at the terminator
        {L"ab", 0, L""},
        {nullptr, 5, L""},
    };
    for (const auto& c : cases) {
        if (g_fake.content) GlobalFree(g_fake.content);
        g_fake = FakeClipboard();
        ASSERT_EQ(SetClipboardText(kFake, c.text, c.chars), 0);
        ASSERT_NE(g_fake.content, nullptr);
        const auto* stored = static_cast<const wchar_t*>(GlobalLock(g_fake.content));
        EXPECT_STREQ(stored, c.stored);
        GlobalUnlock(g_fake.content);
    }
}

TEST_F(ClipboardFake, GetReadsNoFurtherThanTheBlock) {
    struct Case {
        const char* what;
        std::wstring block;  // the whole memory block, terminator or not
        std::wstring text;
    };
    std::wstring pairAtCut = std::wstring(126, L'a') + L"\U0001F600" + L"b";
    const Case cases[] = {
        {"terminated", std::wstring(L"中文\0zz", 5), L"中文"},
        {"no terminator", L"abcde", L"abcde"},
        {"odd byte count", L"abc", L"abc"},
        {"longer than 127", std::wstring(300, L'x'), std::wstring(127, L'x')},
        {"pair at the cut", pairAtCut, std::wstring(126, L'a')},
        {"pair before the cut", std::wstring(125, L'a') + L"\U0001F600" + L"b",
         std::wstring(125, L'a') + L"\U0001F600"},
        {"empty block", L"", L""},
    };
    for (const auto& c : cases) {
        g_fake = FakeClipboard();
        size_t bytes = c.block.size() * sizeof(wchar_t);
        if (std::string(c.what) == "odd byte count") ++bytes;  // a stray byte after the text
        std::wstring padded = c.block + L'\0';
        ExactBuffer buffer(padded.data(), bytes);
        g_fake.data = buffer.data();
        g_fake.size = bytes;
        wchar_t out[kClipboardTextChars];
        ASSERT_TRUE(GetClipboardText(kFake, out)) << c.what;
        EXPECT_EQ(std::wstring(out), c.text) << c.what;
        EXPECT_EQ(g_fake.closes, 1) << c.what;
    }
}

TEST_F(ClipboardFake, GetWithoutTextOrClipboard) {
    wchar_t out[kClipboardTextChars] = L"old";
    EXPECT_TRUE(GetClipboardText(kFake, out));  // nothing on the clipboard
    EXPECT_STREQ(out, L"");
    static const wchar_t text[] = L"abc";
    g_fake.data = text;
    g_fake.size = sizeof text;
    g_fake.lockOk = false;
    wcscpy(out, L"old");
    EXPECT_TRUE(GetClipboardText(kFake, out));
    EXPECT_STREQ(out, L"");
    g_fake.openOk = false;
    wcscpy(out, L"old");
    EXPECT_FALSE(GetClipboardText(kFake, out));
    EXPECT_STREQ(out, L"");
    EXPECT_EQ(g_fake.closes, 2);
}

// The real clipboard of the test session.
TEST(Clipboard, RoundTrip) {
    ASSERT_EQ(SetClipboardText(L"中文剪贴板", 5), 0);
    wchar_t out[kClipboardTextChars];
    ASSERT_TRUE(GetClipboardText(out));
    EXPECT_STREQ(out, L"中文剪贴板");
    std::wstring many(300, L'k');
    ASSERT_EQ(SetClipboardText(many.c_str(), 300), 0);
    ASSERT_TRUE(GetClipboardText(out));
    EXPECT_EQ(std::wstring(out), std::wstring(127, L'k'));
}

}  // namespace
