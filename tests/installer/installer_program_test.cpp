// The packed out/installer.exe itself: its container, its payload, and runs of it.
#include <windows.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/base/handles.h"
#include "core/files/archive.h"
#include "installer/package/extract_dialog.h"
#include "installer/package/installer_container.h"
#include "installer/package/payload_unpack.h"
#include "support/installed_ime.h"
#include "support/window_driver.h"
#include "tests/installer/installer_fixtures.h"

using namespace testing_support;

namespace {

std::wstring Root() {
    wchar_t root[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ZAN_TEST_ROOT", root, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(root, n) : std::wstring();
}

std::wstring Packed() { return Root() + L"\\out\\installer.exe"; }

class InstallerProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Root().empty()) << "ZAN_TEST_ROOT not set";
        bytes = ReadFileBytes(Packed());
        ASSERT_FALSE(bytes.empty()) << Narrow(Packed()) << " missing: run tools/build.sh";
        ASSERT_EQ(ReadContainerLayout(bytes.data(), bytes.size(), &layout), ContainerCheck::kOk);
    }
    std::vector<uint8_t> Payload() const {
        return std::vector<uint8_t>(bytes.begin() + layout.programLength, bytes.end());
    }
    std::vector<uint8_t> bytes;
    ContainerLayout layout{};
};

struct Entry {
    std::string name;
    std::vector<uint8_t> data;
    uint32_t dosDate;
};

std::vector<Entry> ReadEntries(const std::vector<uint8_t>& zip) {
    std::vector<Entry> out;
    unzFile z = OpenMemoryArchive(zip.data(), zip.size());
    if (!z) return out;
    for (int r = unzGoToFirstFile(z); r == UNZ_OK; r = unzGoToNextFile(z)) {
        unz_file_info64 info{};
        char name[512];
        unzGetCurrentFileInfo64(z, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        ArchiveEntry e;
        ReadArchiveEntry(z, &e);
        out.push_back({name, std::vector<uint8_t>(e.data, e.data + e.size),
                       static_cast<uint32_t>(info.dosDate)});
        std::free(e.data);
    }
    unzClose(z);
    return out;
}

std::wstring Wide(const std::string& s) {
    std::wstring w;
    for (char c : s) w += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return w;
}

// Every file below folder, by its path relative to it.
void ListFiles(const std::wstring& folder, const std::wstring& prefix,
               std::map<std::wstring, std::wstring>* out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(folder + L"\\" + name, prefix + name + L"\\", out);
        else
            (*out)[prefix + name] = folder + L"\\" + name;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

TEST_F(InstallerProgram, CarriesTheWholeProductSortedAndStamped) {
    EXPECT_EQ(layout.programLength,
              layout.imageEnd <= layout.programLength ? layout.programLength : 0u);
    const std::vector<Entry> entries = ReadEntries(Payload());
    ASSERT_FALSE(entries.empty());
    std::vector<std::string> names;
    for (const Entry& e : entries) names.push_back(e.name);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    // 2020-01-01 00:00:00 in DOS form.
    for (const Entry& e : entries)
        EXPECT_EQ(e.dosDate, ((2020u - 1980) << 25 | 1u << 21 | 1u << 16)) << e.name;
    const std::wstring out = Root() + L"\\out";
    const std::map<std::string, std::wstring> sources = {
        {"zanIME.ime", out + L"\\x64\\zanTSF.dll"},
        {"zanIME(x86).ime", out + L"\\x86\\zanTSF.dll"},
        {"$dataFiles$\\config.dsc", out + L"\\data\\config.dsc"},
        {"$dataFiles$\\main.dmg", out + L"\\data\\main.dmg"},
        {"$dataFiles$\\temp.dmg", out + L"\\data\\temp.dmg"},
        {"$dataFiles$\\sysl.dmg", out + L"\\data\\sysl.dmg"},
        {"$dataFiles$\\engl.dmg", out + L"\\data\\engl.dmg"},
        {"$dataFiles$\\danzi.dmi", out + L"\\data\\danzi.dmi"},
        {"$dataFiles$\\dict.dms", out + L"\\data\\dict.dms"},
        {"$dataFiles$\\traditional.dms", out + L"\\data\\traditional.dms"},
        {"colourful\\default.col", out + L"\\x64\\colourful\\default.col"},
        {"licenses\\README.txt", out + L"\\data\\licenses\\README.txt"},
    };
    for (const auto& [name, source] : sources) {
        auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const Entry& e) { return e.name == name; });
        ASSERT_NE(it, entries.end()) << name;
        EXPECT_TRUE(it->data == ReadFileBytes(source)) << name;
    }
}

TEST_F(InstallerProgram, UnpacksExactlyThePayloadByteForByte) {
    TempDir work;
    auto state = std::make_unique<InstallerState>();
    ClearInstallerState(state.get());
    wcscpy(state->workDir, work.path().c_str());
    wcscpy(state->modulePath, Packed().c_str());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(UnpackPayload(state.get(), nullptr), UnpackResult::kUnpacked);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("package %llu bytes (program %u, payload %llu); unpacked in %lld ms\n",
                static_cast<unsigned long long>(bytes.size()), layout.programLength,
                static_cast<unsigned long long>(layout.payloadLength),
                static_cast<long long>(ms.count()));
    std::map<std::wstring, std::wstring> top;
    ListFiles(work.path(), L"", &top);
    std::map<std::wstring, std::wstring> unpacked;
    ListFiles(work / L"zipdatas", L"", &unpacked);
    EXPECT_EQ(top.size(), unpacked.size() + 2);
    EXPECT_TRUE(ReadFileBytes(work / L"makedata.zip") == Payload());
    EXPECT_TRUE(ReadFileBytes(work / L"installer.exe") ==
                std::vector<uint8_t>(bytes.begin(), bytes.begin() + layout.programLength));
    const std::vector<Entry> entries = ReadEntries(Payload());
    ASSERT_EQ(unpacked.size(), entries.size());
    for (const Entry& e : entries) {
        auto it = unpacked.find(Wide(e.name));
        ASSERT_NE(it, unpacked.end()) << e.name;
        EXPECT_TRUE(ReadFileBytes(it->second) == e.data) << e.name;
    }
    EXPECT_EQ(std::wstring(state->guidText), kPayloadGuidText);
    EXPECT_NE(state->soft.installFlags & 0x20000000u, 0u);
}

TEST_F(InstallerProgram, UnpacksUnderItsProgressDialog) {
    TempDir work;
    auto state = std::make_unique<InstallerState>();
    ClearInstallerState(state.get());
    wcscpy(state->workDir, work.path().c_str());
    wcscpy(state->modulePath, Packed().c_str());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunExtractDialog(state.get(), nullptr), UnpackResult::kUnpacked);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("unpacked under the progress dialog in %lld ms\n",
                static_cast<long long>(ms.count()));
    EXPECT_TRUE(FileExists(work / L"zipdatas\\zanIME.ime"));
    EXPECT_EQ(std::wstring(state->unpackDir), work / L"zipdatas");
    EXPECT_EQ(std::wstring(state->guidText), kPayloadGuidText);
}

// Runs program with args; the exit code, or -1 when it did not end within the time.
struct Started {
    DWORD pid = 0;
    DWORD exitCode = STILL_ACTIVE;
};

Started RunProgram(const std::wstring& program, const std::wstring& args,
                   DWORD timeoutMs = 120000) {
    std::wstring line = L"\"" + program + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Started s;
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return s;
    s.pid = pi.dwProcessId;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &s.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return s;
}

// Waits for every process that parent started.
void WaitForChildren(DWORD parent) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snap, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (pe.th32ParentProcessID != parent) continue;
        // Wine starts its desktop process from the first program that shows a window; it
        // stays for the prefix's lifetime and is not ours to wait for.
        if (_wcsicmp(pe.szExeFile, L"installer.exe") != 0) continue;
        HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, pe.th32ProcessID);
        if (!child) continue;
        EXPECT_EQ(WaitForSingleObject(child, 120000), WAIT_OBJECT_0)
            << "the temporary copy still runs";
        CloseHandle(child);
    }
    CloseHandle(snap);
}

// The prompts the program wrote, one "caption\ttext" a line.
class PromptLog {
public:
    PromptLog() : path_(dir_ / L"prompts.txt") {
        SetEnvironmentVariableW(L"ZAN_INSTALLER_PROMPTS", path_.c_str());
    }
    ~PromptLog() { SetEnvironmentVariableW(L"ZAN_INSTALLER_PROMPTS", nullptr); }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::string all = AsString(ReadFileBytes(path_));
        size_t at = 0;
        for (size_t nl; (nl = all.find('\n', at)) != std::string::npos; at = nl + 1)
            lines.push_back(all.substr(at, nl - at));
        return lines;
    }

private:
    TempDir dir_;
    std::wstring path_;
};

std::string U8(const std::wstring& w) { return Narrow(w); }

TEST_F(InstallerProgram, CleanUpLeavesNoWorkFolder) {
    ScratchTemp temp;
    PromptLog log;
    const std::wstring work = temp.dir / L"$zanInstaller$";
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(work + L"\\stale.txt", std::string("s")));
    const Started run = RunProgram(Packed(), L"/z");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(DirExists(work));
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(InstallerProgram, ADamagedPayloadIsReportedWithoutAHangingBox) {
    struct Row {
        const char* what;
        std::vector<uint8_t> file;
    };
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + layout.programLength + 1000);
    std::vector<uint8_t> zero = bytes;
    std::memset(zero.data() + LoaderFlagsOffset(zero), 0, 4);
    std::vector<uint8_t> garbled = bytes;
    for (size_t i = layout.programLength + 100; i < garbled.size(); i += 4096) garbled[i] ^= 0x5A;
    const Row rows[] = {
        {"payload cut short", cut}, {"no payload", zero}, {"payload garbled", garbled}};
    for (const Row& r : rows) {
        ScratchTemp temp;
        PromptLog log;
        const std::wstring program = temp.dir / L"setup.exe";
        ASSERT_TRUE(WriteFileBytes(program, r.file));
        const Started run = RunProgram(program, L"");
        EXPECT_EQ(run.exitCode, 0u) << r.what << ": still running, or it failed";
        EXPECT_EQ(log.Lines(), std::vector<std::string>{U8(
                                   L"输入法安装\t错误的安装文件，请联系软件发布者获取正确版本。")})
            << r.what;
        EXPECT_FALSE(DirExists(temp.dir / L"$zanInstaller$")) << r.what;
    }
}

TEST_F(InstallerProgram, UninstallRunsFromTheTemporaryCopy) {
    ScratchTemp temp;
    PromptLog log;
    InstalledIme ime;
    ime.WriteValue(L"DisplayName", L"赞拓输入法");
    ime.WriteValue(L"DisplayVersion", L"3.0.215.62");
    ime.WriteValue(L"LanguageName", L"中文(简体) - 赞拓");
    const std::wstring installed = ime.install / L"installer.exe";
    ASSERT_TRUE(WriteFileBytes(installed, bytes));
    // Only the copy started with "/f" reaches the uninstall dialog: uninstall, then finish.
    std::wstring finalLog;
    std::thread driver([&] {
        HWND dialog = WaitForDialog(L"赞拓输入法 - 卸载程序", 60000);
        if (!dialog) return;
        EXPECT_EQ(DialogItemText(dialog, IDOK), L"卸载(&U)");
        ClickDialogItem(dialog, IDOK);
        for (int i = 0; i < 1200 && DialogItemText(dialog, IDOK) != L"完成(&O)"; ++i) Sleep(50);
        finalLog = DialogItemText(dialog, 1006);
        ClickDialogItem(dialog, IDOK);
        WaitForWindowGone(dialog, 30000);
    });
    const Started parent = RunProgram(installed, std::wstring(L"/n ") + ime.guidText + L" /u");
    EXPECT_EQ(parent.exitCode, 0u);
    WaitForChildren(parent.pid);
    driver.join();
    EXPECT_NE(finalLog.find(L"7.卸载完成。"), std::wstring::npos) << Narrow(finalLog);
    EXPECT_TRUE(log.Lines().empty());
    // The installation is gone.
    EXPECT_FALSE(FileExists(installed));
    EXPECT_FALSE(FileExists(ime.Path(L"main.dmg")));
    zan::UniqueKey key;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, ime.keyPath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                            key.put()),
              ERROR_SUCCESS);
    EXPECT_FALSE(DirExists(temp.dir / L"$zanInstaller$"));
}

}  // namespace
