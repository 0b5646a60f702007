// The input engine over an installed data folder in which one file is damaged: creation,
// typing, frequency adjustment, commit with history and phrase learning, last output.
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <string>

#include "core/base/registry.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "engine/platform.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/seeds.h"
#include "ui/windows/engine_ui_hooks.h"

namespace fuzz {
namespace {

// The installation's identity; the registry key lives in the run's own Wine prefix.
constexpr wchar_t kGuidText[] = L"{5A4E0F00-7A0E-4B1D-9C3A-0123456789AB}";
constexpr const wchar_t* kFiles[] = {L"config.dsc", L"main.dmg",        L"temp.dmg",
                                     L"engl.dmg",   L"sysl.dmg",        L"danzi.dmi",
                                     L"dict.dms",   L"traditional.dms", L"simplified.dms"};
constexpr int kFileCount = sizeof kFiles / sizeof kFiles[0];

std::vector<Bytes> g_files;  // the undamaged files
std::wstring g_data;         // data folder, ending in a backslash

int GuidText(wchar_t* out, int chars) {
    const int n = static_cast<int>(wcslen(kGuidText));
    if (n >= chars) return 0;
    std::memcpy(out, kGuidText, (n + 1) * sizeof(wchar_t));
    return n;
}
int64_t FixedTime() { return 1'800'000'000; }
uint64_t FixedTicks() { return 3'600'000; }
void NoKey(uint8_t, uint32_t) {}
int16_t NoKeyState(int) { return 0; }
int NoShell(HWND, const wchar_t*, const wchar_t*, const wchar_t*, int) { return 0; }
int NoClipboard(wchar_t* out, int chars) {
    if (chars > 0) out[0] = 0;
    return 0;
}
int NoSetClipboard(const wchar_t*, int) { return 0; }
int NoBitmap(HBITMAP) { return 0; }
int NoBox(HWND, const wchar_t*, const wchar_t*, uint32_t) { return 0; }

const EnginePlatform& FuzzPlatform() {
    static EnginePlatform p = [] {
        EnginePlatform q = Win32Platform();
        q.loadGuidText = GuidText;
        q.currentTime = FixedTime;
        q.tickCount = FixedTicks;
        q.keyEvent = NoKey;
        q.keyState = NoKeyState;
        q.shellExecute = NoShell;
        q.clipboardText = NoClipboard;
        q.setClipboardText = NoSetClipboard;
        q.setClipboardBitmap = NoBitmap;
        q.messageBox = NoBox;
        return q;
    }();
    return p;
}

Bytes EngineConfig(const GUID& guid) {
    Bytes config = BuildConfig(SettingsText());
    MemoryTable m(config.data(), config.size());
    ImeConfigData* ime = FindImeConfig(m.get());
    DmeConfigData* dme = FindDmeConfig(m.get());
    SoftConfigData* soft = FindSoftConfig(m.get());
    std::memcpy(soft->guid, &guid, 16);
    ime->options = kImeMainTable | kImeAssociation | kImeTempWords | kImeTempSaveAtCommit |
                   kImeTempSmart | kImeTempClearAtBoot | kImeSearchSecondary;
    ime->features |= 0x2000 | 0x4000 | 0x8;
    ime->listOptions = (5u << kListPageShift) | kListFreqToTop;
    for (int c = 0x10; c <= 0x19; ++c) dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
    for (int c = 'a'; c <= 'z'; ++c) dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
    return config;
}

std::vector<Bytes> EngineSeeds(FuzzContext& c) {
    GUID guid;
    IIDFromString(kGuidText, &guid);
    Bytes main = BuildMainTable(c, KeypadDefinitionText());
    std::memcpy(&main[12], &guid, 16);
    g_files = {EngineConfig(guid),
               main,
               BuildTempTable(c, KeypadDefinitionText()),
               BuildListTable(c, L"hello\r\nhelp\r\nhelper\r\nworld\r\nword\r\n"),
               BuildListTable(c, ListText()),
               BuildKeyValueTable(KeyValueText()),
               BuildKeyValueTable(L"中国\t国家\\r名字\r\n你好\t问候\r\n"),
               BuildKeyValueTable(L"国\t國\r\n爱\t愛\r\n"),
               BuildKeyValueTable(L"國\t国\r\n愛\t爱\r\n")};
    // The installation: registry values and the data folder.
    g_data = c.scratch + L"\\data\\";
    const std::wstring install = c.scratch + L"\\install";
    CreateDirectoryW(g_data.c_str(), nullptr);
    CreateDirectoryW(install.c_str(), nullptr);
    const std::wstring key = std::wstring(L"Software\\ZantorIME3\\") + kGuidText + L"\\";
    WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), L"IMEName", L"fuzzime");
    WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), L"InstallLocation", install.c_str());
    WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), L"DataLocation", g_data.c_str());
    SetPlatform(&FuzzPlatform());
    // A seed is one file: its number in the first byte (with 0x80: the file is cut to whole
    // pages, so that a read past its end faults in the mapping too), then its bytes.
    std::vector<Bytes> seeds;
    for (int i = 0; i < kFileCount; ++i) {
        for (uint8_t pageEnd : {uint8_t{0}, uint8_t{0x80}}) {
            Bytes s{static_cast<uint8_t>(i | pageEnd)};
            s.insert(s.end(), g_files[i].begin(), g_files[i].end());
            seeds.push_back(s);
        }
    }
    return seeds;
}

void Type(Engine* e, const std::wstring& keys) {
    for (wchar_t ch : keys) {
        InputState& in = e->input;
        if (in.codeLength >= kMaxCodeUnits) break;
        in.code[in.codeLength++] = ch;
        in.caret = in.codeLength;
        in.code[in.codeLength] = 0;
        EngineRuntime::ProcessInput(e);
    }
}

void RunEngine(const uint8_t* data, size_t size, FuzzContext& context) {
    const int damaged = size ? (data[0] & 0x7F) % kFileCount : 0;
    size_t bytes = size ? size - 1 : 0;
    if (size && (data[0] & 0x80) && bytes >= 4096) bytes &= ~size_t{4095};
    for (int i = 0; i < kFileCount; ++i) {
        const std::wstring path = g_data + kFiles[i];
        if (i == damaged)
            WriteWholeFile(path, size ? data + 1 : data, bytes);
        else
            WriteWholeFile(path, g_files[i].data(), g_files[i].size());
    }
    InstallEngineUIHooks();  // records load their skin as the input method's do
    Engine* e = Engine::Create();
    if (!e) return;
    ++context.deep;
    // Half of the runs convert the output script through traditional.dms.
    if (size & 1) Engine::SetTraditionalOutput(e, true);
    // Keypad codes of words, typed and committed so that the history fills and phrases are
    // learned; letters for the English and association lists.
    const wchar_t* const codes[] = {L"\x15\x16", L"\x15\x16\x14", L"\x17\x13", L"\x16\x14",
                                    L"\x16",     L"\x13\x12",     L"\x11",     L"hel",
                                    L"\x15\x16", L"\x17\x13\x16"};
    int selector = 1;
    for (const wchar_t* code : codes) {
        Type(e, code);
        EngineRuntime::AdjustFrequency(e, selector);
        EngineRuntime::CommitCandidate(e, selector);
        EngineRuntime::AppendOutputText(e, nullptr);
        e->ClearInput();
        selector = selector % 3 + 1;
    }
    EngineRuntime::LookupAssociation(e, 0);
    Type(e, L"hel");
    EngineRuntime::LookupTempEnglish(e);
    e->ClearInput();
    Engine::RefreshTables(e);
    Engine::Destroy(e);
}

const bool registered = RegisterTarget({"engine",
                                        InputShape::kBinary,
                                        1000,
                                        EngineSeeds,
                                        RunEngine,
                                        {{1, 161}, {65693, 65693 + 4 * 64}, {67745, 67745 + 1040}},
                                        false});

}  // namespace
}  // namespace fuzz
