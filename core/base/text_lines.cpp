#include "core/base/text_lines.h"

#include <cstdlib>
#include <cwchar>

#include "core/base/text_convert.h"

namespace {

// UTF-8 of n units into out (room for 3 bytes per unit); broken surrogates become U+FFFD.
size_t ToUtf8(const wchar_t* s, int n, uint8_t* out) {
    size_t k = 0;
    for (int i = 0; i < n; ++i) {
        unsigned u = static_cast<uint16_t>(s[i]);
        unsigned cp = u;
        if (IsHighSurrogate(u) && i + 1 < n && IsLowSurrogate(s[i + 1])) {
            cp = CodePointOfPair(u, s[i + 1]);
            ++i;
        } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out[k++] = static_cast<uint8_t>(cp);
        } else if (cp < 0x800) {
            out[k++] = static_cast<uint8_t>(0xC0 | (cp >> 6));
            out[k++] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out[k++] = static_cast<uint8_t>(0xE0 | (cp >> 12));
            out[k++] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            out[k++] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        } else {
            out[k++] = static_cast<uint8_t>(0xF0 | (cp >> 18));
            out[k++] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
            out[k++] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            out[k++] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        }
    }
    return k;
}

constexpr int kShortLineUnits = 512;

// Writes units of text as UTF-8, piece by piece; a piece never ends inside a pair.
int WriteUtf8(FILE* stream, const wchar_t* text, size_t units) {
    uint8_t bytes[kShortLineUnits * 3];  // a pair takes 4 bytes for 2 units, others at most 3
    while (units > 0) {
        size_t n = units < kShortLineUnits ? units : kShortLineUnits;
        if (n < units && IsHighSurrogate(text[n - 1])) --n;
        size_t k = ToUtf8(text, static_cast<int>(n), bytes);
        if (std::fwrite(bytes, 1, k, stream) != k) return 0;
        text += n;
        units -= n;
    }
    return 1;
}

// A formatted line: short lines stay on the stack, longer ones get the whole line limit.
class FormattedLine {
public:
    FormattedLine(const wchar_t* format, va_list args) {
        va_list again;
        va_copy(again, args);
        n_ = FormatTextLine(short_, kShortLineUnits, format, args);
        // Possibly cut (a dropped half pair makes it one shorter): format it again in full.
        if (n_ >= kShortLineUnits - 2) {
            long_ = static_cast<wchar_t*>(std::malloc((kMaxTextLineUnits + 1) * sizeof(wchar_t)));
            n_ = long_ ? FormatTextLine(long_, kMaxTextLineUnits + 1, format, again) : -1;
        }
        va_end(again);
    }
    ~FormattedLine() { std::free(long_); }
    FormattedLine(const FormattedLine&) = delete;
    FormattedLine& operator=(const FormattedLine&) = delete;
    bool ok() const { return n_ >= 0; }
    const wchar_t* units() const { return long_ ? long_ : short_; }
    int size() const { return n_; }

private:
    wchar_t short_[kShortLineUnits];
    wchar_t* long_ = nullptr;
    int n_ = 0;
};

}  // namespace

int FormatTextLine(wchar_t* out, int capacity, const wchar_t* format, va_list args) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!format) return 0;
    std::vswprintf(out, static_cast<size_t>(capacity), format, args);
    // A line that did not fit is kept up to the capacity.
    out[capacity - 1] = 0;
    int n = static_cast<int>(wcsnlen(out, static_cast<size_t>(capacity) - 1));
    if (n == capacity - 1 && n > 0 && IsHighSurrogate(out[n - 1])) out[--n] = 0;
    return n;
}

int WriteTextLine(FILE* stream, const wchar_t* format, ...) {
    if (!stream || !format) return 0;
    va_list args;
    va_start(args, format);
    FormattedLine line(format, args);
    va_end(args);
    return line.ok() ? WriteUtf8(stream, line.units(), static_cast<size_t>(line.size())) : 0;
}

int WriteTextString(FILE* stream, const wchar_t* text) {
    if (!stream || !text) return 0;
    // The whole text: a saved text is never cut.
    return WriteUtf8(stream, text, wcslen(text));
}

int AppendReportLine(ImportReport* report, const wchar_t* format, ...) {
    if (!report) return 0;
    ++report->lines;
    if (!report->stream || !format) return 0;
    va_list args;
    va_start(args, format);
    FormattedLine line(format, args);
    va_end(args);
    if (!line.ok()) return 0;
    // The report is UTF-16LE, as the units are in memory.
    const auto n = static_cast<size_t>(line.size());
    return std::fwrite(line.units(), sizeof(wchar_t), n, report->stream) == n ? 1 : 0;
}
