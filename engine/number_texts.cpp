#include "engine/number_texts.h"

#include <cstdio>
#include <cstring>

#include "core/base/text_convert.h"

namespace {

constexpr size_t kMaxIntegerDigits = 12;     // up to 999,999,999,999
constexpr size_t kGroupedIntegerUnits = 30;  // a work area of 31 units with its terminator
constexpr size_t kSkeletonBytes = 64;

// A bounded text under construction; once it overflows it ends empty.
class TextOut {
public:
    TextOut(wchar_t* out, size_t capacity) : s_(out), cap_(capacity) { s_[0] = 0; }
    ~TextOut() { s_[bad_ ? 0 : len_] = 0; }
    TextOut(const TextOut&) = delete;
    TextOut& operator=(const TextOut&) = delete;
    void Put(wchar_t c) {
        if (len_ + 1 >= cap_) {
            bad_ = true;
            return;
        }
        s_[len_++] = c;
    }
    void Put(const wchar_t* text) {
        while (*text) Put(*text++);
    }
    void PutAscii(const char* text) {
        while (*text) Put(static_cast<wchar_t>(*text++));
    }
    size_t length() const { return len_; }
    wchar_t last() const { return len_ ? s_[len_ - 1] : 0; }
    void Drop() { bad_ = true; }

private:
    wchar_t* s_;
    size_t cap_;
    size_t len_ = 0;
    bool bad_ = false;
};

// A small bounded ASCII buffer.
struct Ascii {
    char* s;
    size_t cap;
    size_t len = 0;
    bool bad = false;
    void Put(char c) {
        if (len + 1 >= cap) {
            bad = true;
            return;
        }
        s[len++] = c;
        s[len] = 0;
    }
    char last() const { return len ? s[len - 1] : 0; }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The typed number split at its first point.
struct NumberParts {
    const char* integer;
    size_t integerLength;
    const char* fraction;  // after the first point, further points included
    size_t fractionLength;
    int points;
    bool anyDigit;
};

NumberParts Split(const char* number, size_t length) {
    NumberParts p = {number, length, number + length, 0, 0, false};
    for (size_t i = 0; i < length; ++i) {
        if (number[i] == '.') {
            if (p.points == 0) {
                p.integerLength = i;
                p.fraction = number + i + 1;
                p.fractionLength = length - i - 1;
            }
            ++p.points;
        } else if (IsDigit(number[i])) {
            p.anyDigit = true;
        }
    }
    return p;
}

size_t SignificantDigits(const char* digits, size_t length) {
    size_t first = 0;
    while (first < length && digits[first] == '0') ++first;
    return length - first;
}

uint64_t ValueOf(const char* digits, size_t length) {
    uint64_t v = 0;
    for (size_t i = 0; i < length; ++i) v = v * 10 + static_cast<uint64_t>(digits[i] - '0');
    return v;
}

// 1..9999; oneTen writes 一十 for 10..19 (a higher part precedes).
void SmallSkeleton(unsigned v, bool oneTen, Ascii* sk) {
    unsigned th = v / 1000, h = v / 100 % 10, t = v / 10 % 10, o = v % 10;
    if (th) {
        sk->Put(static_cast<char>('0' + th));
        sk->Put('q');
        if (!h && (t || o)) sk->Put('l');
    }
    if (h) {
        sk->Put(static_cast<char>('0' + h));
        sk->Put('b');
        if (!t && o) sk->Put(th ? 'l' : '0');
    }
    if (t) {
        if (v >= 100 || t > 1 || oneTen) sk->Put(static_cast<char>('0' + t));
        sk->Put('s');
    }
    if (o) sk->Put(static_cast<char>('0' + o));
}

// 零 goes between parts only where a lower nonzero part follows a gap.
bool NeedsZero(const Ascii& sk, unsigned part) { return sk.len && sk.last() != 'l' && part < 1000; }

const wchar_t* const kLowerDigits = L"零一二三四五六七八九";
const wchar_t* const kCapitalDigits = L"零壹贰叁肆伍陆柒捌玖";
const wchar_t* const kDateDigits = L"〇一二三四五六七八九";

struct NumeralSet {
    const wchar_t* digits;
    wchar_t ten, hundred, thousand, tenThousand, hundredMillion;
};
const NumeralSet kLowerSet = {kLowerDigits, L'十', L'百', L'千', L'万', L'亿'};
const NumeralSet kCapitalSet = {kCapitalDigits, L'拾', L'佰', L'仟', L'万', L'亿'};

void RenderSkeleton(const char* sk, const NumeralSet& set, TextOut* out) {
    for (; *sk; ++sk) {
        char c = *sk;
        if (IsDigit(c)) {
            out->Put(set.digits[c - '0']);
        } else {
            switch (c) {
                case 'l':
                    out->Put(set.digits[0]);
                    break;
                case 's':
                    out->Put(set.ten);
                    break;
                case 'b':
                    out->Put(set.hundred);
                    break;
                case 'q':
                    out->Put(set.thousand);
                    break;
                case 'w':
                    out->Put(set.tenThousand);
                    break;
                case 'y':
                    out->Put(set.hundredMillion);
                    break;
                case '.':
                    out->Put(L'点');
                    break;
                default:
                    out->Drop();
                    break;
            }
        }
    }
}

void NumeralText(const NumberParts& p, wchar_t* dst) {
    TextOut out(dst, kNumberTextUnits);
    char buffer[kSkeletonBytes];
    if (!IntegerSkeleton(p.integer, p.integerLength, buffer, sizeof buffer)) return out.Drop();
    RenderSkeleton(buffer, kLowerSet, &out);
    if (p.points == 0) return;
    out.Put(L'点');
    for (size_t i = 0; i < p.fractionLength; ++i) {
        char c = p.fraction[i];
        out.Put(c == '.' ? L'点' : kLowerDigits[c - '0']);
    }
}

void AmountText(const NumberParts& p, wchar_t* dst) {
    TextOut out(dst, kNumberTextUnits);
    if (p.points > 1 || p.fractionLength > 2) return out.Drop();
    char buffer[kSkeletonBytes];
    if (!IntegerSkeleton(p.integer, p.integerLength, buffer, sizeof buffer)) return out.Drop();
    bool wholeZero = SignificantDigits(p.integer, p.integerLength) == 0;
    bool anyFraction = false;
    for (size_t i = 0; i < p.fractionLength; ++i) anyFraction |= p.fraction[i] != '0';
    if (!wholeZero) {
        if (buffer[0] == 's') out.Put(kCapitalDigits[1]);  // 壹拾
        RenderSkeleton(buffer, kCapitalSet, &out);
        out.Put(L'元');
    } else if (!anyFraction) {
        out.Put(L"零元");
    }
    static const wchar_t kUnits[2] = {L'角', L'分'};
    for (size_t i = 0; i < p.fractionLength; ++i) {
        if (p.fraction[i] == '0') continue;
        out.Put(kCapitalDigits[p.fraction[i] - '0']);
        out.Put(kUnits[i]);
    }
    if (!anyFraction) out.Put(L'整');
}

// Components of a date: one or two points, each part 1..4 digits.
struct DateParts {
    unsigned value[3];
    int count;
};

bool SplitDate(const char* number, size_t length, DateParts* d) {
    d->count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length && number[i] != '.') continue;
        size_t n = i - start;
        if (n == 0 || n > 4 || d->count == 3) return false;
        d->value[d->count++] = static_cast<unsigned>(ValueOf(number + start, n));
        start = i + 1;
    }
    return d->count >= 2;
}

// 十 for month and day: 1..31.
void PutTens(unsigned v, TextOut* out) {
    if (v >= 20) out->Put(kLowerDigits[v / 10]);
    if (v >= 10) out->Put(L'十');
    if (v % 10) out->Put(kLowerDigits[v % 10]);
}

void PutYear(unsigned year, bool chinese, TextOut* out) {
    char digits[16];
    std::snprintf(digits, sizeof digits, year < 10 ? "0%u" : "%u", year);
    for (const char* c = digits; *c; ++c) {
        out->Put(chinese ? kDateDigits[*c - '0'] : static_cast<wchar_t>(*c));
    }
}

void PutSmall(unsigned v, bool chinese, TextOut* out) {
    if (chinese) return PutTens(v, out);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%u", v);
    out->PutAscii(digits);
}

void DateText(const char* number, size_t length, bool chinese, wchar_t* dst) {
    TextOut out(dst, kNumberTextUnits);
    DateParts d;
    if (!SplitDate(number, length, &d)) return out.Drop();
    unsigned a = d.value[0], b = d.value[1];
    if (d.count == 3) {
        unsigned day = d.value[2];
        if (a < 1 || a > 9998 || b < 1 || b > 12 || day >= 32) return out.Drop();
        PutYear(a, chinese, &out);
        out.Put(L'年');
        PutSmall(b, chinese, &out);
        out.Put(L'月');
        if (day) {
            PutSmall(day, chinese, &out);
            out.Put(L'日');
        }
        return;
    }
    if (a >= 1000 && a <= 2999 && b < 13) {
        PutYear(a, chinese, &out);
        out.Put(L'年');
        if (b) {
            PutSmall(b, chinese, &out);
            out.Put(L'月');
        }
        return;
    }
    if (a < 1 || a > 12 || b < 1 || b > 31) return out.Drop();
    PutSmall(a, chinese, &out);
    out.Put(L'月');
    PutSmall(b, chinese, &out);
    out.Put(L'日');
}

// Each digit as a character of a ten-character set: 1..9 first, 0 as the tenth (or a
// separate zero). Nothing for a text with a point.
void DigitsText(const char* number, size_t length, const wchar_t* oneToNine, wchar_t zero,
                wchar_t* dst) {
    TextOut out(dst, kNumberTextUnits);
    for (size_t i = 0; i < length; ++i) {
        char c = number[i];
        if (!IsDigit(c)) return out.Drop();
        out.Put(c == '0' ? zero : oneToNine[c - '1']);
    }
}

void SymbolText(const char* number, size_t length, wchar_t first, wchar_t* dst) {
    wchar_t set[9];
    for (int i = 0; i < 9; ++i) set[i] = static_cast<wchar_t>(first + i);
    DigitsText(number, length, set, static_cast<wchar_t>(first + 9), dst);
}

void GroupedText(const NumberParts& p, wchar_t* dst) {
    TextOut out(dst, kNumberTextUnits);
    if (p.points > 1 || p.integerLength == 0) return out.Drop();
    size_t n = p.integerLength;
    if (n + (n - 1) / 3 > kGroupedIntegerUnits) return out.Drop();
    for (size_t i = 0; i < n; ++i) {
        if (!IsDigit(p.integer[i])) return out.Drop();
        if (i && (n - i) % 3 == 0) out.Put(L',');
        out.Put(static_cast<wchar_t>(p.integer[i]));
    }
    if (p.points == 0) return;
    out.Put(L'.');
    for (size_t i = 0; i < p.fractionLength; ++i) out.Put(static_cast<wchar_t>(p.fraction[i]));
}

}  // namespace

bool IntegerSkeleton(const char* digits, size_t length, char* out, size_t capacity) {
    if (!out || capacity == 0) return false;
    out[0] = 0;
    Ascii sk{out, capacity};
    size_t significant = SignificantDigits(digits, length);
    if (significant > kMaxIntegerDigits) return false;
    if (significant == 0) {
        for (size_t i = 0; i < length; ++i) sk.Put('0');
        return !sk.bad;
    }
    uint64_t v = ValueOf(digits + (length - significant), significant);
    unsigned y = static_cast<unsigned>(v / 100000000), w = static_cast<unsigned>(v / 10000 % 10000),
             u = static_cast<unsigned>(v % 10000);
    if (digits[0] == '0') sk.Put('l');
    bool higher = false;
    if (y) {
        SmallSkeleton(y, false, &sk);
        sk.Put('y');
        higher = true;
    }
    if (w) {
        if (NeedsZero(sk, w)) sk.Put('l');
        SmallSkeleton(w, higher, &sk);
        sk.Put('w');
        higher = true;
    } else if (u && NeedsZero(sk, 0)) {
        sk.Put('l');
    }
    if (u) {
        if (NeedsZero(sk, u)) sk.Put('l');
        SmallSkeleton(u, higher, &sk);
    }
    if (sk.bad) out[0] = 0;
    return !sk.bad;
}

void ConvertNumber(const char* number, size_t length, NumberTexts* out) {
    for (auto& t : out->text) t[0] = 0;
    if (!number) return;
    for (size_t i = 0; i < length; ++i) {
        if (!IsDigit(number[i]) && number[i] != '.') return;
    }
    NumberParts p = Split(number, length);
    if (!p.anyDigit) return;
    NumeralText(p, out->text[kNumeralText]);
    AmountText(p, out->text[kAmountText]);
    DateText(number, length, true, out->text[kChineseDateText]);
    DateText(number, length, false, out->text[kArabicDateText]);
    DigitsText(number, length, L"一二三四五六七八九", L'〇', out->text[kLowerDigitsText]);
    DigitsText(number, length, L"壹贰叁肆伍陆柒捌玖", L'零', out->text[kCapitalDigitsText]);
    GroupedText(p, out->text[kGroupedText]);
    SymbolText(number, length, L'①', out->text[kCircledDigitsText]);
    SymbolText(number, length, L'Ⅰ', out->text[kRomanDigitsText]);
    SymbolText(number, length, L'㈠', out->text[kParenthesisedDigitsText]);
    SymbolText(number, length, L'⒈', out->text[kDottedDigitsText]);
}

int FillNumberEntry(const wchar_t* text, uint8_t* entry, size_t entryBytes) {
    constexpr size_t kHeader = 5;  // u32 flags, u8 length
    if (!entry || entryBytes < kHeader) return 0;
    std::memset(entry, 0, kHeader);
    if (!text || !text[0]) return 0;
    int bytes = Utf16ToUtf8(text, kNumberTextUnits, nullptr, 0);
    size_t room = entryBytes - kHeader;
    if (bytes <= 0 || bytes > kNumberEntryMaxBytes || static_cast<size_t>(bytes) > room) return 0;
    char* dst = reinterpret_cast<char*>(entry + kHeader);
    if (Utf16ToUtf8(text, kNumberTextUnits, dst, bytes) != bytes) return 0;
    entry[4] = static_cast<uint8_t>(bytes);
    return 1;
}
