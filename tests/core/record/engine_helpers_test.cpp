// Recent-output text and version numbers of the engine record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/base/version_text.h"
#include "core/record/engine.h"

namespace {

TEST(Version, ParseTable) {
    struct Case {
        const wchar_t* text;
        uint64_t value;
    } cases[] = {
        {L"3.2", 0x0003000200000000ull},
        {L"1.2.3.4", 0x0001000200030004ull},
        {L"65535.65535.65535.65535", 0xFFFFFFFFFFFFFFFFull},
        {L"65536.65537.1.2", 0x0000000100010002ull},
        {L"70000", 0x1170ull << 48},
        {L"", 0},
        {L"x.1", 0x0000000100000000ull},
        {L"1a.2b.3", 0x0001000200030000ull},
        {L"1.2.3.4.5", 0x0001000200030004ull},
        {L"4..6", 0x0004000000060000ull},
        {nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : L"(null)");
        uint64_t out = 12345;
        EXPECT_EQ(ParseVersion(c.text, &out), c.value);
        EXPECT_EQ(out, c.value);
        EXPECT_EQ(ParseVersion(c.text, nullptr), c.value);
    }
}

TEST(Version, FormatAndRoundTrip) {
    wchar_t out[kVersionTextUnits];
    FormatVersion(0x0003000200000000ull, out);
    EXPECT_STREQ(out, L"3.2.0.0");
    FormatVersion(~0ull, out);
    EXPECT_STREQ(out, L"65535.65535.65535.65535");
    for (const wchar_t* t : {L"1.2.3.4", L"0.0.0.0", L"10.0.19041.1"}) {
        FormatVersion(ParseVersion(t, nullptr), out);
        EXPECT_STREQ(out, t);
    }
}

struct RecentFixture {
    std::vector<uint8_t> block = std::vector<uint8_t>(sizeof(ImeConfigData));
    Engine* engine = static_cast<Engine*>(calloc(1, sizeof(Engine)));
    ImeConfigData* ime = reinterpret_cast<ImeConfigData*>(block.data());
    RecentFixture() {
        engine->ime = ime;
        for (int i = 0; i < kRecentOutputSlots; ++i) {
            std::wstring t = L"w" + std::to_wstring(i);
            wcscpy(ime->recentOutputs[i].text, t.c_str());
        }
    }
    ~RecentFixture() { free(engine); }
};

TEST(RecentOutput, LastRecordsOldestFirst) {
    struct Case {
        uint32_t recentCount;
        int count;
        const wchar_t* expected;
    } cases[] = {
        {0, 5, L""},        {3, 0, L""},           {3, -1, L""},   {3, 1, L"w2"}, {3, 2, L"w1w2"},
        {3, 10, L"w0w1w2"}, {16, 3, L"w13w14w15"}, {1000, 2, L""},  // a damaged count reads as 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recentCount);
        SCOPED_TRACE(c.count);
        RecentFixture f;
        f.ime->recentCount = c.recentCount;
        wchar_t out[kRecentOutputUnits];
        out[0] = L'?';
        EXPECT_EQ(Engine::GetRecentOutput(f.engine, c.count, out), 0);
        EXPECT_STREQ(out, c.expected);
    }
}

TEST(RecentOutput, UnterminatedTextsAreBoundedAndTheResultCut) {
    RecentFixture f;
    f.ime->recentCount = kRecentOutputSlots;
    for (auto& r : f.ime->recentOutputs) {
        for (auto& u : r.text) u = L'字';  // 36 units, no terminator
        r.codes[0][0] = L'X';
    }
    wchar_t out[kRecentOutputUnits];
    Engine::GetRecentOutput(f.engine, 1, out);
    EXPECT_EQ(std::wstring(out), std::wstring(kRecentTextUnits, L'字'));
    Engine::GetRecentOutput(f.engine, 16, out);
    EXPECT_EQ(std::wstring(out), std::wstring(kRecentOutputUnits - 1, L'字'));

    Engine* none = static_cast<Engine*>(calloc(1, sizeof(Engine)));
    out[0] = L'?';
    Engine::GetRecentOutput(none, 3, out);
    EXPECT_STREQ(out, L"");
    Engine::GetRecentOutput(nullptr, 3, out);
    EXPECT_STREQ(out, L"");
    free(none);
}

}  // namespace
