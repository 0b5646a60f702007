// Candidate window update for a new page (layout, paint, UpdateLayeredWindow) with nine
// candidates and the default skin, timed on a real display; and the private memory of the
// process with the skin loaded. Run under Wine with a display: candidate_window_bench [N]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/ui_demo_engine.h"
#include "ui/candidate/candidate_paint.h"
#include "ui/candidate/candidate_window.h"
#include "ui/windows/skin_window_classes.h"

namespace {

// Private bytes of the process; under Wine, which leaves the counter 0, the anonymous
// resident memory of the process from /proc.
size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    if (counters.PrivateUsage) return counters.PrivateUsage;
    FILE* f = std::fopen("Z:\\proc\\self\\status", "r");
    if (!f) return 0;
    char line[256];
    size_t kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "RssAnon: %zu", &kb) == 1) break;
    std::fclose(f);
    return kb * 1024;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    RegisterSkinWindowClasses(GetModuleHandleW(nullptr));
    size_t before = PrivateBytes();
    DemoEngine demo;
    demo.skin->options = kSkinShowIndex | kSkinShowHints | kSkinHorizontal | kSkinShowButtons;
    if (!demo.LoadSkin()) return 1;
    size_t loaded = PrivateBytes();
    demo.e->uiState->host.imm32 = true;
    demo.Composition(L"64426");
    CandidateHost host{};
    host.imm32 = true;
    if (!CreateCandidateWindow(demo.e, host)) return 1;
    const RECT caret{300, 300, 302, 320};
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        demo.Page(i % 2 ? kDemoWords : kDemoWords2, 9, (i % 4) * 9);
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        ShowCandidateWindow(demo.e, caret);
        QueryPerformanceCounter(&b);
        ms.push_back(double(b.QuadPart - a.QuadPart) * 1000.0 / double(frequency.QuadPart));
    }
    size_t shown = PrivateBytes();
    auto report = [rounds](const char* what, std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        std::printf("%s, 9 candidates, %d rounds: median %.3f ms, p99 %.3f ms, max %.3f ms\n", what,
                    rounds, v[v.size() / 2], v[v.size() * 99 / 100], v.back());
    };
    report("candidate window update (layout, paint, UpdateLayeredWindow)", ms);
    // The share of the pure code: layout and paint into a canvas, no window.
    std::vector<double> pure;
    for (int i = 0; i < rounds; ++i) {
        demo.Page(i % 2 ? kDemoWords : kDemoWords2, 9, (i % 4) * 9);
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        demo.LayoutOnDisplay();
        CanvasSurface surface(demo.e->uiState->candidate.width, demo.e->uiState->candidate.height);
        PaintCandidateCanvas(demo.e, &surface);
        QueryPerformanceCounter(&b);
        pure.push_back(double(b.QuadPart - a.QuadPart) * 1000.0 / double(frequency.QuadPart));
    }
    report("layout and paint into a canvas only", pure);
    std::printf(
        "private memory: %.1f MB before the skin, %.1f MB with it loaded (+%.0f KB), %.1f MB with "
        "the window shown\n",
        before / 1048576.0, loaded / 1048576.0, (loaded - before) / 1024.0, shown / 1048576.0);
    size_t pictures = 0;
    for (const SkinImage* image : demo.e->uiState->images.images)
        if (image) pictures += size_t(image->width) * image->height * 4 + sizeof *image;
    std::printf("decoded pictures of the skin: %.1f KB; UIState block: %.1f KB\n",
                pictures / 1024.0, sizeof(UIState) / 1024.0);
    DestroyCandidateWindow(demo.e);
    return 0;
}
