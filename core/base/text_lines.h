// Line writers of the exported texts: UTF-16 lines written as UTF-8, and the UTF-16 report
// of lines an import could not take.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>

// Longest line a writer formats; longer output is cut there.
constexpr int kMaxTextLineUnits = 65535;

// Formats into out (capacity units, NUL-terminated), cut to capacity - 1 units and never
// between the two halves of a surrogate pair. Wide strings are passed as %ls. Returns the
// units written.
int FormatTextLine(wchar_t* out, int capacity, const wchar_t* format, va_list args);

// Formats a line of at most kMaxTextLineUnits units and writes it as UTF-8 (a broken
// surrogate becomes U+FFFD). 1 when written, 0 when the stream is missing, out of memory or
// the write failed.
int WriteTextLine(FILE* stream, const wchar_t* format, ...);
// Writes a whole text as UTF-8 the same way, never cut (saved texts may be long).
int WriteTextString(FILE* stream, const wchar_t* text);

// The UTF-16LE report of refused import lines: the stream may be missing (lines are still
// counted).
struct ImportReport {
    FILE* stream;
    int32_t lines;
};
// Writes one formatted UTF-16 line as it is and counts it. 1 when written, 0 otherwise
// (the line is counted either way).
int AppendReportLine(ImportReport* report, const wchar_t* format, ...);

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;
