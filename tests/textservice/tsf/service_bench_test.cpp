// Timing of the key path through the text service on the test host, next to the engine's
// lookup alone, and of the activation. Disabled: run by hand with
//   textservice_service_bench_test.exe --gtest_also_run_disabled_tests
// It prints figures and asserts none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/lookup.h"
#include "support/tsf_host/service_fixture.h"
#include "support/tsf_host/shipped_install.h"

using namespace tsf_host;

namespace {

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
    const std::vector<std::string> codes = Codes(2000);
    ServiceFixture f;
    ShippedInstall install;
    if (!install.ok()) GTEST_SKIP() << "no shipped data (tools/make_data.sh)";

    // The engine alone: character into the code, lookup.
    std::vector<double> engineOnly;
    int withCandidates = 0;
    {
        Engine* e = Engine::Create();
        ASSERT_NE(e, nullptr);
        e->state = 0;
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
        Engine::Destroy(e);
    }

    // The service: OnTestKeyDown, OnKeyDown and the edit session (key-ups not timed).
    TextServiceSeams seams = ServiceSeams();
    seams.createEngine = nullptr;
    seams.destroyEngine = nullptr;
    SetServiceSeams(&seams);
    std::vector<double> service, commit;
    ASSERT_EQ(f.Activate(), S_OK);
    f.service->engine()->state &= ~(kStateEnglishMode | kStateImeClosed);
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
    f.service->Deactivate();
    std::printf("digits with candidates: %d of %zu\n", withCandidates, engineOnly.size());
    Report("ProcessInput alone (per digit)", engineOnly);
    Report("service key path (per digit)", service);
    Report("service key path (Space commit)", commit);

    // Part of every tested key-down: the debug line.
    std::vector<double> debugLine;
    for (int i = 0; i < 2000; ++i) {
        const LONGLONG t0 = Now();
        OutputDebugStringW(L"OnTestKeyDown() lParam = 4d0001 \r\n");
        debugLine.push_back(Microseconds(Now() - t0));
    }
    Report("OutputDebugStringW of the debug line", debugLine);
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

TEST(ServiceBench, DISABLED_EngineCreationOverTheShippedTables) {
    ServiceFixture f;
    ShippedInstall install;
    if (!install.ok()) GTEST_SKIP() << "no shipped data (tools/make_data.sh)";
    std::vector<double> create;
    for (int i = 0; i < 30; ++i) {
        const LONGLONG t0 = Now();
        Engine* e = Engine::Create();
        create.push_back(Microseconds(Now() - t0));
        ASSERT_NE(e, nullptr);
        Engine::Destroy(e);
    }
    Report("Engine::Create with all shipped tables", create);

    // The whole activation with that engine.
    TextServiceSeams seams = ServiceSeams();
    seams.createEngine = nullptr;
    seams.destroyEngine = nullptr;
    SetServiceSeams(&seams);
    std::vector<double> activation;
    for (int i = 0; i < 30; ++i) {
        const LONGLONG t0 = Now();
        ASSERT_EQ(f.Activate(), S_OK);
        activation.push_back(Microseconds(Now() - t0));
        f.service->Deactivate();
    }
    Report("ActivateEx with Engine::Create", activation);
}

}  // namespace
