// Timing of the key path through the text service on the test host, next to the engine's
// lookup alone, and of the activation. Disabled: run by hand with
//   textservice_service_bench_test.exe --gtest_also_run_disabled_tests
// It prints figures and asserts none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/base/text_convert.h"
#include "engine/lookup.h"
#include "support/installed_ime.h"
#include "support/tsf_host/service_fixture.h"

using namespace tsf_host;

namespace {

std::wstring DataFile(const wchar_t* name) {
    const char* env = std::getenv("ZAN_DATA_DIR");
    std::string dir = env && *env ? env : ZAN_SHIPPED_DATA_DIR;
    if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
    std::wstring wide(dir.size() + 1, L'\0');
    const int n = Utf8ToUtf16(dir.c_str(), static_cast<int>(dir.size()), wide.data(),
                              static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide + L"\\" + name;
}

std::vector<uint8_t> ReadAll(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size;
    GetFileSizeEx(h, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
}

double Microseconds(LONGLONG ticks) {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return 1e6 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

void Report(const char* what, std::vector<double> us) {
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    const double median = us[us.size() / 2];
    const double p99 = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    std::printf("%-44s n=%zu median %.2f us  p99 %.2f us  worst %.2f us\n", what, us.size(), median,
                p99, us.back());
}

// Keypad codes of 2-6 digits from 2-9, the same sequence every run.
std::vector<std::string> Codes(int count) {
    std::mt19937 random(7);
    std::vector<std::string> codes;
    for (int i = 0; i < count; ++i) {
        std::string c;
        const int n = 2 + static_cast<int>(random() % 5);
        for (int k = 0; k < n; ++k) c.push_back(static_cast<char>('2' + random() % 8));
        codes.push_back(c);
    }
    return codes;
}

TEST(ServiceBench, DISABLED_KeystrokesThroughTheService) {
    std::vector<uint8_t> main = ReadAll(DataFile(L"main.dmg"));
    if (main.empty()) GTEST_SKIP() << "no shipped main.dmg (tools/make_data.sh)";
    const std::vector<std::string> codes = Codes(2000);

    // The engine alone: character into the code, lookup.
    std::vector<double> engineOnly;
    int withCandidates = 0;
    {
        testing_support::FakeKeyboard keyboard;
        testing_support::KeypadEngine k(main);
        Engine* e = k.e;
        for (const std::string& code : codes) {
            for (char d : code) {
                static wchar_t text[2];
                text[0] = static_cast<wchar_t>(0x10 + (d - '0'));
                e->input.keyChar = text;
                const LONGLONG t0 = Now();
                Engine::InsertKeyChar(e);
                Engine::ProcessInput(e);
                engineOnly.push_back(Microseconds(Now() - t0));
                if (e->candidateCount > 0) ++withCandidates;
            }
            Engine::ResetInput(e);
        }
    }

    // The service: OnTestKeyDown, OnKeyDown and the edit session (key-ups not timed).
    std::vector<double> service, commit;
    {
        ServiceFixture f;
        f.engine = std::make_unique<testing_support::KeypadEngine>(main);
        ASSERT_EQ(f.Activate(), S_OK);
        for (const std::string& code : codes) {
            for (char d : code) {
                const int vk = VK_NUMPAD0 + (d - '0');
                const LONGLONG t0 = Now();
                f.Press(vk);
                service.push_back(Microseconds(Now() - t0));
                f.Release(vk);
            }
            const LONGLONG t0 = Now();
            f.Press(VK_SPACE);
            commit.push_back(Microseconds(Now() - t0));
            f.Release(VK_SPACE);
            if (f.host->Text().size() > 4000) f.host->SetText(L"", 0);
        }
    }
    std::printf("digits with candidates: %d of %zu\n", withCandidates, engineOnly.size());
    Report("ProcessInput alone (per digit)", engineOnly);
    Report("service key path (per digit)", service);
    Report("service key path (Space commit)", commit);
}

TEST(ServiceBench, DISABLED_Activation) {
    std::vector<double> activation;
    ServiceFixture f;
    for (int i = 0; i < 200; ++i) {
        const LONGLONG t0 = Now();
        f.Activate();
        activation.push_back(Microseconds(Now() - t0));
        f.service->Deactivate();
    }
    Report("ActivateEx over an opened engine", activation);
}

}  // namespace

namespace {

std::wstring guidText;

TEST(ServiceBench, DISABLED_EngineCreationOverTheShippedTables) {
    std::vector<uint8_t> main = ReadAll(DataFile(L"main.dmg"));
    if (main.size() < 64) GTEST_SKIP() << "no shipped main.dmg (tools/make_data.sh)";
    testing_support::InstalledIme ime;
    std::memcpy(&main[12], &ime.guid, 16);
    ASSERT_TRUE(testing_support::WriteFileBytes(ime.Path(L"main.dmg"), main));
    for (const wchar_t* name : {L"temp.dmg", L"sysl.dmg", L"engl.dmg", L"danzi.dmi", L"dict.dms",
                                L"traditional.dms", L"simplified.dms"})
        CopyFileW(DataFile(name).c_str(), ime.Path(name).c_str(), FALSE);
    guidText = ime.guidText;
    EnginePlatform platform = Win32Platform();
    platform.loadGuidText = [](wchar_t* out, int chars) -> int {
        if (static_cast<int>(guidText.size()) >= chars) return 0;
        std::wcscpy(out, guidText.c_str());
        return static_cast<int>(guidText.size());
    };
    SetPlatform(&platform);
    std::vector<double> create;
    for (int i = 0; i < 30; ++i) {
        const LONGLONG t0 = Now();
        Engine* e = Engine::Create();
        create.push_back(Microseconds(Now() - t0));
        ASSERT_NE(e, nullptr);
        Engine::Destroy(e);
    }
    SetPlatform(nullptr);
    Report("Engine::Create with all shipped tables", create);
}

}  // namespace
