#include "support/settings_blocks.h"

#include <windows.h>

#include <cwchar>

#include "support/test_files.h"

namespace testing_support {

namespace {

int RecordRead(void* block, const wchar_t* key, const wchar_t* value, int kind) {
    RecordedPairs().push_back({block, key, value, kind});
    return 1;
}

int WriteBody(void*, wchar_t* buffer, int count, int kind) {
    const wchar_t* body = kind == kOptionSectionInput       ? kCodecInputBody
                          : kind == kOptionSectionInterface ? kCodecInterfaceBody
                                                            : nullptr;
    if (body) std::swprintf(buffer, count, L"%ls", body);
    return 1;
}

}  // namespace

std::vector<RecordedPair>& RecordedPairs() {
    static std::vector<RecordedPair> pairs;
    return pairs;
}

OptionSectionCodec RecordingCodec() { return {nullptr, RecordRead, WriteBody}; }

std::wstring Utf8FileText(const std::wstring& path, bool* hadBom) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    size_t start = 0;
    const bool bom = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    if (bom) start = 3;
    if (hadBom) *hadBom = bom;
    if (bytes.size() <= start) return L"";
    const char* s = reinterpret_cast<const char*>(bytes.data() + start);
    const int n = static_cast<int>(bytes.size() - start);
    int units = MultiByteToWideChar(CP_UTF8, 0, s, n, nullptr, 0);
    std::wstring out(units, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s, n, out.data(), units);
    return out;
}

}  // namespace testing_support
