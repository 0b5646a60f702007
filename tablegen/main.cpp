// tablegen: builds the shipped tables from definition texts.
//   tablegen main <text> <table> [guid] main code table (kind 1), with the input method's GUID
//   tablegen list <text> <table>       list table (kind 5)
//   tablegen keyvalue <text> <table>   key/value table (kind 65536)
//   tablegen temp <table>              empty temporary-word table
//   tablegen config <text> <config.dsc> <guid>  settings file from a settings text
//   tablegen measure <data folder> <corpus>       typing figures of the folder's tables
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tablegen/commands.h"
#include "tablegen/console.h"

namespace {

int Usage() {
    PrintErrorLine(
        L"usage: tablegen main <text> <table> [guid] | tablegen list|keyvalue <text> <table> | "
        L"tablegen temp <table> | tablegen config <text> <config.dsc> <guid> | "
        L"tablegen measure <data folder> <corpus>");
    return 2;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    const std::wstring kind = argv[1];
    if (kind == L"temp" && argc == 3) return BuildTempTable(argv[2]) ? 0 : 1;
    if (kind == L"main" && (argc == 4 || argc == 5))
        return BuildMainTable(argv[2], argv[3], argc == 5 ? argv[4] : nullptr) ? 0 : 1;
    if (kind == L"config" && argc == 5) return BuildSettingsFile(argv[2], argv[3], argv[4]) ? 0 : 1;
    if (kind == L"measure" && argc == 4) return MeasureTyping(argv[2], argv[3]) ? 0 : 1;
    if (argc != 4) return Usage();
    if (kind == L"list") return BuildListTable(argv[2], argv[3]) ? 0 : 1;
    if (kind == L"keyvalue") return BuildKeyValueTable(argv[2], argv[3]) ? 0 : 1;
    return Usage();
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    int rc;
    try {
        rc = Run(argc, argv);
    } catch (...) {
        PrintErrorLine(L"tablegen: out of memory");
        rc = 1;
    }
    LocalFree(argv);
    return rc;
}
