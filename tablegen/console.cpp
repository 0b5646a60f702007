#include "tablegen/console.h"

#include <cstdio>

#include "core/base/text_convert.h"

namespace {

void Print(FILE* stream, const std::wstring& text) {
    std::string bytes;
    const int n = Utf16ToUtf8(text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    if (n > 0) {
        bytes.assign(static_cast<size_t>(n) + 1, '\0');
        Utf16ToUtf8(text.c_str(), static_cast<int>(text.size()), bytes.data(), n + 1);
        bytes.resize(static_cast<size_t>(n));
    }
    bytes += '\n';
    fwrite(bytes.data(), 1, bytes.size(), stream);
    fflush(stream);
}

}  // namespace

void PrintLine(const std::wstring& text) { Print(stdout, text); }
void PrintErrorLine(const std::wstring& text) { Print(stderr, text); }
