// An engine record with settings in memory and a platform table whose clock, clipboard,
// launcher and key events are fakes that record what the commands did.
#pragma once
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "engine/platform.h"
#include "support/mapped_table.h"

namespace command_test {

struct Launch {
    std::wstring file, parameters, verb;
    int show;
    bool operator==(const Launch&) const = default;
};
struct KeyEvent {
    uint8_t vk;
    bool up;
    bool operator==(const KeyEvent&) const = default;
};

struct Recorder {
    SYSTEMTIME now{};
    std::wstring clipboard;
    std::vector<Launch> launches;
    std::vector<KeyEvent> keys;
    std::vector<HBITMAP> bitmaps;
};
inline Recorder& Rec() {
    static Recorder r;
    return r;
}

inline EnginePlatform FakePlatform() {
    EnginePlatform p = Win32Platform();
    p.localTime = [](SYSTEMTIME* out) { *out = Rec().now; };
    p.clipboardText = [](wchar_t* out, int chars) {
        const std::wstring& s = Rec().clipboard;
        int n = static_cast<int>(s.size()) < chars - 1 ? static_cast<int>(s.size()) : chars - 1;
        std::wmemcpy(out, s.data(), static_cast<size_t>(n));
        out[n] = 0;
        return n;
    };
    p.setClipboardText = [](const wchar_t* text, int chars) {
        Rec().clipboard.assign(text, static_cast<size_t>(chars));
        return 1;
    };
    p.setClipboardBitmap = [](HBITMAP b) {
        Rec().bitmaps.push_back(b);
        return 1;
    };
    p.shellExecute = [](HWND, const wchar_t* file, const wchar_t* params, const wchar_t* verb,
                        int show) {
        Rec().launches.push_back(
            {file ? file : L"", params ? params : L"", verb ? verb : L"", show});
        return 1;
    };
    p.keyEvent = [](uint8_t vk, uint32_t flags) {
        Rec().keys.push_back({vk, (flags & KEYEVENTF_KEYUP) != 0});
    };
    return p;
}

// Sets the clock to 2026-12-10 (Thursday) 09:05:07 unless told otherwise.
inline SYSTEMTIME Time(WORD year = 2026, WORD month = 12, WORD day = 10, WORD dow = 4,
                       WORD hour = 9, WORD minute = 5, WORD second = 7) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wDayOfWeek = dow;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

struct CommandEngine {
    Engine* e;
    ImeConfigData* ime;
    EnginePlatform platform;
    std::deque<std::string> records;  // entry records stay put

    CommandEngine() {
        e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
        ime = static_cast<ImeConfigData*>(std::calloc(1, sizeof(ImeConfigData)));
        e->ime = ime;
        ime->features = kFeatCommands;
        std::wcscpy(e->installLocation, L"C:\\Zan\\");
        std::wcscpy(e->guidText, L"{12345678-1234-1234-1234-123456789ABC}");
        Rec() = Recorder{};
        Rec().now = Time();
        platform = FakePlatform();
        SetPlatform(&platform);
    }
    ~CommandEngine() {
        SetPlatform(nullptr);
        std::free(ime);
        std::free(e);
    }
    CommandEngine(const CommandEngine&) = delete;
    CommandEngine& operator=(const CommandEngine&) = delete;

    // Places a page row for a main-table candidate of word (UTF-8) with its display and
    // commit texts.
    void SetRow(int row, const std::string& word, const std::wstring& display,
                const std::wstring& commit) {
        records.push_back(testing_support::EntryRecord(1, "\x0B", word));
        Candidate& c = e->candidates[row];
        c.entry = reinterpret_cast<const uint8_t*>(records.back().data());
        c.kind = kKindMainEntry;
        e->candidateCount = row + 1 > e->candidateCount ? row + 1 : e->candidateCount;
        auto put = [](PageRow& r, const std::wstring& s) {
            r.length = static_cast<uint32_t>(s.size());
            std::wmemcpy(r.text, s.data(), s.size());
            r.text[s.size()] = 0;
        };
        put(e->page.rowText[row], display);
        put(e->page.rowCommit[row], commit);
        e->page.rowCandidate[row] = row;
        if (e->page.rowCount < row + 1) e->page.rowCount = row + 1;
    }
};

}  // namespace command_test
