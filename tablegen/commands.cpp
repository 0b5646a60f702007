#include "tablegen/commands.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "core/base/text_file.h"
#include "tablegen/console.h"
#include "tablegen/file_output.h"
#include "tablegen/key_value_table.h"
#include "tablegen/temp_table.h"

namespace {

struct FreeText {
    void operator()(wchar_t* p) const { free(p); }
};

}  // namespace

int BuildKeyValueTable(const wchar_t* textPath, const wchar_t* outPath) {
    wchar_t* raw = nullptr;
    size_t units = 0;
    if (ReadTextFile(textPath, &raw, &units) != 0) {
        PrintErrorLine(std::wstring(L"cannot read ") + textPath);
        return 0;
    }
    std::unique_ptr<wchar_t, FreeText> text(raw);
    KeyValueParse parsed = ParseKeyValueText(text.get(), units);
    if (parsed.rejected > 0)
        PrintErrorLine(std::to_wstring(parsed.rejected) + L" lines left out, the first: " +
                       parsed.firstRejected);
    if (parsed.items.empty()) {
        PrintErrorLine(std::wstring(L"no entries in ") + textPath);
        return 0;
    }
    std::vector<uint8_t> bytes = MakeKeyValueTableBytes(parsed.items);
    if (bytes.empty() || !WriteTableFile(outPath, bytes)) {
        PrintErrorLine(std::wstring(L"cannot write ") + outPath);
        return 0;
    }
    PrintLine(std::wstring(outPath) + L": " + std::to_wstring(parsed.items.size()) + L" entries, " +
              std::to_wstring(bytes.size()) + L" bytes");
    return 1;
}

int BuildTempTable(const wchar_t* outPath) {
    std::vector<uint8_t> bytes = MakeEmptyTempTableBytes();
    if (!WriteTableFile(outPath, bytes)) {
        PrintErrorLine(std::wstring(L"cannot write ") + outPath);
        return 0;
    }
    PrintLine(std::wstring(outPath) + L": empty, " + std::to_wstring(bytes.size()) + L" bytes");
    return 1;
}
