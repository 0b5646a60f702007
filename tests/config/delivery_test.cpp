// Handing a word to an open dictionary, and the virtualised copy of config.dsc.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "config/single_window.h"
#include "config/virtualized_copy.h"
#include "support/test_files.h"

namespace {

TEST(CopiedWord, TheReceiverBoundsAndTerminatesWhatArrives) {
    wchar_t big[300];
    wmemset(big, L'字', 300);
    struct Case {
        ULONG_PTR dwData;
        DWORD cbData;
        const wchar_t* data;
        bool ok;
        std::wstring word;
    };
    const Case cases[] = {
        {0, 8, L"abc", true, L"abc"},
        {0, 4, L"abc", true, L"ab"},  // not terminated within cbData: cut there
        {0, 600, big, true, std::wstring(255, L'字')},
        {0, 3, L"abc", true, L"a"},
        {1, 8, L"abc", false, L""},
        {0, 0, L"abc", false, L""},
        {0, 8, nullptr, false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        COPYDATASTRUCT d{c.dwData, c.cbData, const_cast<wchar_t*>(c.data)};
        wchar_t out[kDictionaryWordUnits];
        EXPECT_EQ(ReadCopiedWord(&d, out), c.ok);
        EXPECT_EQ(std::wstring(out), c.word);
    }
    wchar_t out[kDictionaryWordUnits];
    EXPECT_FALSE(ReadCopiedWord(nullptr, out));
}

// A window of another thread standing for the dictionary.
struct Receiver {
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_COPYDATA) {
            auto* self = reinterpret_cast<Receiver*>(GetWindowLongPtrW(h, GWLP_USERDATA));
            auto* d = reinterpret_cast<const COPYDATASTRUCT*>(l);
            self->bytes = d->cbData;
            ReadCopiedWord(d, self->word);
            return TRUE;
        }
        return DefWindowProcW(h, m, w, l);
    }
    DWORD bytes = 0;
    wchar_t word[kDictionaryWordUnits] = {};
};

TEST(CopiedWord, TheSenderSendsTheWordWithItsTerminatorOnly) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Receiver::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"zan_copydata_receiver";
    RegisterClassW(&wc);
    Receiver r;
    HWND h = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
    ASSERT_NE(h, nullptr);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&r));
    struct Case {
        std::wstring word;
        DWORD bytes;
        std::wstring arrives;
    };
    const Case cases[] = {
        {L"字", 4, L"字"},
        {std::wstring(200, L'词'), 402, std::wstring(200, L'词')},
        {L"it's \"q\"", 18, L"it's \"q\""},
        {std::wstring(300, L'x'), 512, std::wstring(255, L'x')},
        {L"", 2, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word.size());
        std::atomic<bool> sent{false};
        std::thread sender([&] {
            EXPECT_TRUE(SendWordByCopyData(h, c.word.c_str()));
            sent = true;
        });
        while (!sent) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        sender.join();
        EXPECT_EQ(r.bytes, c.bytes);
        EXPECT_EQ(std::wstring(r.word), c.arrives);
    }
    DestroyWindow(h);
    EXPECT_FALSE(SendWordByCopyData(nullptr, L"x"));
}

std::set<std::wstring> g_existing;
bool Exists(const wchar_t* path) { return g_existing.count(path) != 0; }

TEST(VirtualizedCopy, TheFirstExistingDriveLetterFromCToY) {
    const std::wstring tail = L"\\ProgramData\\ZantorIME3\\{G}\\3.7\\config.dsc";
    struct Case {
        std::set<std::wstring> existing;
        const wchar_t* cache;
        std::wstring found;
    };
    const Case cases[] = {
        {{}, L"C:\\cache", L""},
        {{L"C:\\cache\\Virtualized\\d" + tail, L"C:\\cache\\Virtualized\\f" + tail},
         L"C:\\cache",
         L"C:\\cache\\Virtualized\\d" + tail},
        {{L"C:\\cache\\Virtualized\\y" + tail},
         L"C:\\cache\\",
         L"C:\\cache\\Virtualized\\y" + tail},
        {{L"C:\\cache\\Virtualized\\z" + tail, L"C:\\cache\\Virtualized\\b" + tail},
         L"C:\\cache",
         L""},
        {{L"C:\\cache\\Virtualized\\c" + tail}, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        g_existing = c.existing;
        wchar_t out[kPathChars];
        EXPECT_EQ(FindVirtualizedCopy(c.cache, L"{G}", 3, 7, &Exists, out), !c.found.empty());
        EXPECT_EQ(std::wstring(out), c.found);
    }
    std::wstring deep(240, L'a');
    wchar_t out[kPathChars];
    g_existing = {};
    EXPECT_FALSE(FindVirtualizedCopy(deep.c_str(), L"{G}", 3, 7, &Exists, out));
}

TEST(VirtualizedCopy, TheCopyTakesTheLiveBytesAndSize) {
    testing_support::TempDir dir;
    const std::vector<uint8_t> live = {1, 2, 3, 4, 5, 6, 7, 8};
    for (size_t before : {size_t{8}, size_t{3}, size_t{20}, size_t{0}}) {
        SCOPED_TRACE(before);
        std::wstring path = dir / L"config.dsc";
        ASSERT_TRUE(testing_support::WriteFileBytes(path, std::vector<uint8_t>(before, 0xEE)));
        EXPECT_EQ(OverwriteWithBytes(path.c_str(), live.data(), 8), CopyResult::Copied);
        EXPECT_EQ(testing_support::ReadFileBytes(path), live);
    }
    EXPECT_EQ(OverwriteWithBytes((dir / L"missing.dsc").c_str(), live.data(), 8),
              CopyResult::OpenFailed);
    EXPECT_FALSE(testing_support::FileExists(dir / L"missing.dsc"));
}

}  // namespace
