#include "engine/commands/macros.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "engine/commit_history.h"
#include "engine/platform.h"

namespace {

constexpr int kValueUnits = kMacroOutputUnits + 1;
constexpr wchar_t kDigits[] = L"零一二三四五六七八九";
constexpr wchar_t kYearDigits[] = L"〇一二三四五六七八九";
constexpr const wchar_t* kWeekdays[] = {L"日", L"一", L"二", L"三", L"四", L"五", L"六"};

struct Text {
    wchar_t units[kValueUnits];
    int length;
    void Add(const wchar_t* s) {
        for (; *s && length < kValueUnits - 1; ++s) units[length++] = *s;
        units[length] = 0;
    }
};

void Number(Text* t, unsigned value, bool padded) {
    wchar_t buffer[16];
    swprintf(buffer, 16, padded && value < 10 ? L"0%u" : L"%u", value);
    t->Add(buffer);
}

void Chinese(Text* t, unsigned value) {
    wchar_t buffer[8];
    ChineseNumber(value, buffer);
    t->Add(buffer);
}

bool Doubled(const wchar_t* arg) { return arg[0] && arg[1] == arg[0]; }

void TimeMacro(const wchar_t* arg, Text* t) {
    SYSTEMTIME now{};
    PLATFORM_CALL(localTime)(&now);
    unsigned value;
    switch (arg[0] | 0x20) {
        case L'h':
            value = now.wHour;
            break;
        case L'm':
            value = now.wMinute;
            break;
        case L's':
            value = now.wSecond;
            break;
        default:
            t->Add(L"#");
            return;
    }
    if (arg[0] >= L'a')
        Number(t, value, Doubled(arg));
    else
        Chinese(t, value);
}

// Splits "letters[+n|-n]" into its letters and offset.
int ReadOffset(const wchar_t* arg, int* letters) {
    int n = 0;
    while (arg[n] && arg[n] != L'+' && arg[n] != L'-') ++n;
    *letters = n;
    if (!arg[n]) return 0;
    const int sign = arg[n] == L'-' ? -1 : 1;
    int value = 0;
    for (int i = n + 1; arg[i] >= L'0' && arg[i] <= L'9' && value < 100000; ++i)
        value = value * 10 + (arg[i] - L'0');
    return sign * value;
}

// now moved by days (through the file time, so months and years roll over).
void AddDays(SYSTEMTIME* now, int days) {
    FILETIME ft;
    if (!SystemTimeToFileTime(now, &ft)) return;
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    const int64_t step = int64_t{days} * 86400LL * 10000000LL;
    const int64_t moved = static_cast<int64_t>(v.QuadPart) + step;
    if (moved < 0) return;
    v.QuadPart = static_cast<uint64_t>(moved);
    ft.dwLowDateTime = v.LowPart;
    ft.dwHighDateTime = v.HighPart;
    SYSTEMTIME out;
    if (FileTimeToSystemTime(&ft, &out)) *now = out;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

void AddMonths(SYSTEMTIME* now, int months) {
    int total = now->wYear * 12 + (now->wMonth - 1) + months;
    if (total < 1601 * 12 || total > 30827 * 12) return;
    now->wYear = static_cast<WORD>(total / 12);
    now->wMonth = static_cast<WORD>(total % 12 + 1);
    const int last = DaysInMonth(now->wYear, now->wMonth);
    if (now->wDay > last) now->wDay = static_cast<WORD>(last);
}

void DateMacro(const wchar_t* arg, Text* t) {
    SYSTEMTIME now{};
    PLATFORM_CALL(localTime)(&now);
    int letters = 0;
    const int offset = ReadOffset(arg, &letters);
    const wchar_t kind = arg[0];
    if (offset) {
        if (kind == L'y' || kind == L'Y')
            AddMonths(&now, offset * 12);
        else if (kind == L'm' || kind == L'M')
            AddMonths(&now, offset);
        else
            AddDays(&now, offset);
    }
    const bool four = letters == 4 && arg[1] == kind && arg[2] == kind && arg[3] == kind;
    switch (kind) {
        case L'D':
            Chinese(t, now.wDay);
            break;
        case L'M':
            Chinese(t, now.wMonth);
            break;
        case L'd':
            Number(t, now.wDay, Doubled(arg));
            break;
        case L'm':
            Number(t, now.wMonth, Doubled(arg));
            break;
        case L'Y': {
            wchar_t digits[8];
            swprintf(digits, 8, L"%04u", static_cast<unsigned>(now.wYear % 10000));
            for (const wchar_t* d = four ? digits : digits + 2; *d; ++d) {
                const wchar_t one[2] = {kYearDigits[*d - L'0'], 0};
                t->Add(one);
            }
            break;
        }
        case L'y':
            if (four)
                Number(t, now.wYear, false);
            else
                Number(t, now.wYear % 100, true);
            break;
        case L'z':
            t->Add(L"星期");
            t->Add(kWeekdays[now.wDayOfWeek % 7]);
            break;
        case L'Z':
            t->Add(L"周");
            t->Add(kWeekdays[now.wDayOfWeek % 7]);
            break;
        default:
            t->Add(L"#");
    }
}

void AddBounded(Text* t, const wchar_t* s, size_t units) {
    wchar_t copy[kValueUnits];
    const size_t n = wcsnlen(s, units < kValueUnits - 1 ? units : kValueUnits - 1);
    wmemcpy(copy, s, n);
    copy[n] = 0;
    t->Add(copy);
}

void LastMacro(const Engine* e, const wchar_t* arg, Text* t) {
    const ImeConfigData* ime = e->ime;
    if (ime && arg[0] && !arg[1]) {
        const uint32_t have = HistoryCount(ime);
        if (arg[0] == L'0') {
            AddBounded(t, ime->lastOutput, LastOutputCount(ime));
        } else if ((arg[0] == L'1' || arg[0] == L'2') && have >= uint32_t(arg[0] - L'0')) {
            const RecentOutput& r = ime->recentOutputs[have - (arg[0] - L'0')];
            AddBounded(t, r.text, kRecentTextUnits);
        }
    }
    if (t->length == 0) t->Add(L" ");
}

void U16ValueMacro(const wchar_t* arg, Text* t) {
    for (; *arg; ++arg) {
        wchar_t buffer[16];
        swprintf(buffer, 16, L"0x%d,", static_cast<int>(*arg));
        t->Add(buffer);
    }
}

void ClipboardMacro(Text* t) {
    wchar_t text[kClipboardMacroUnits + 1];
    const int n = PLATFORM_CALL(clipboardText)(text, kClipboardMacroUnits + 1);
    if (n <= 0) return;
    text[n < kClipboardMacroUnits ? n : kClipboardMacroUnits] = 0;
    t->Add(text);
}

// The value of the macro name(.arg); false when the name is unknown.
bool Evaluate(Engine* e, const wchar_t* name, const wchar_t* arg, Text* t) {
    if (!wcscmp(name, L"time")) {
        TimeMacro(arg, t);
    } else if (!wcscmp(name, L"date")) {
        DateMacro(arg, t);
    } else if (!wcscmp(name, L"last")) {
        LastMacro(e, arg, t);
    } else if (!wcscmp(name, L"u16value")) {
        U16ValueMacro(arg, t);
    } else if (!wcscmp(name, L"clipboard")) {
        ClipboardMacro(t);
    } else {
        return false;
    }
    return true;
}

constexpr int kMaxNameUnits = 16;

// Parses "<name>" or "<name.arg>" at text (text[0] == '<'); the units taken, 0 when none.
size_t ParseMacro(const wchar_t* text, wchar_t (&name)[kMaxNameUnits + 1],
                  wchar_t (&arg)[kMacroArgumentUnits + 1]) {
    size_t i = 1, n = 0;
    while (text[i] && text[i] != L'>' && text[i] != L'.' && text[i] != L'<') {
        if (n >= kMaxNameUnits) return 0;
        name[n++] = text[i++];
    }
    name[n] = 0;
    if (n == 0) return 0;
    size_t a = 0;
    if (text[i] == L'.') {
        ++i;
        while (text[i] && text[i] != L'>') {
            if (a >= kMacroArgumentUnits) return 0;
            arg[a++] = text[i++];
        }
    }
    arg[a] = 0;
    return text[i] == L'>' ? i + 1 : 0;
}

}  // namespace

int ChineseNumber(unsigned value, wchar_t* out) {
    int n = 0;
    value %= 100;
    if (value < 10) {
        out[n++] = kDigits[value];
    } else {
        if (value >= 20) out[n++] = kDigits[value / 10];
        out[n++] = L'十';
        if (value % 10) out[n++] = kDigits[value % 10];
    }
    out[n] = 0;
    return n;
}

int ExpandMacros(Engine* e, const wchar_t* text, wchar_t (&out)[kMacroOutputUnits + 1]) {
    Text result{};
    result.units[0] = 0;
    for (size_t i = 0; text && text[i] && result.length < kMacroOutputUnits;) {
        if (text[i] == L'<') {
            wchar_t name[kMaxNameUnits + 1], arg[kMacroArgumentUnits + 1];
            const size_t taken = ParseMacro(text + i, name, arg);
            Text value{};
            if (taken && e && Evaluate(e, name, arg, &value) && value.length > 0) {
                result.Add(value.units);
                i += taken;
                continue;
            }
        }
        const wchar_t one[2] = {text[i], 0};
        result.Add(one);
        ++i;
    }
    const int n = result.length < kMacroOutputUnits ? result.length : kMacroOutputUnits;
    wmemcpy(out, result.units, static_cast<size_t>(n));
    out[n] = 0;
    return n;
}
