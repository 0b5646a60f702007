// The input method's engine over the shipped data folder as it is installed: codes typed key
// by key give the words a user expects first.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/base/registry.h"
#include "core/record/engine.h"
#include "core/table/table_format.h"
#include "engine/candidates.h"
#include "engine/key_decision.h"
#include "engine/platform.h"
#include "shipped_data.h"
#include "support/test_files.h"

namespace {

using testing_support::Narrow;
using testing_support::TempDir;

int ShippedGuidText(wchar_t* out, int chars) {
    const int n = static_cast<int>(std::wcslen(shipped::kGuidText));
    if (n >= chars) return 0;
    std::wcscpy(out, shipped::kGuidText);
    return n;
}

struct EngineDeleter {
    void operator()(Engine* e) const { Engine::Destroy(e); }
};

// An installation of the shipped data files: a copy of the data folder (typing adjusts
// orders in place) under the input method's registry key.
class ShippedEngine : public testing::Test {
protected:
    static void SetUpTestSuite() {
        platform_ = Win32Platform();
        platform_.loadGuidText = ShippedGuidText;
        SetPlatform(&platform_);
        data_ = new TempDir;
        install_ = new TempDir;
        for (const wchar_t* name :
             {L"config.dsc", L"main.dmg", L"temp.dmg", L"sysl.dmg", L"engl.dmg", L"danzi.dmi",
              L"dict.dms", L"traditional.dms", L"simplified.dms"}) {
            const std::wstring from = shipped::DataDir() + L"\\" + name;
            if (!CopyFileW(from.c_str(), (*data_ / name).c_str(), FALSE)) {
                ADD_FAILURE() << "cannot copy " << Narrow(from)
                              << ": run tools/make_data.sh (tools/test.sh does)";
                return;
            }
        }
        const std::wstring key = KeyPath();
        const std::pair<const wchar_t*, std::wstring> values[] = {
            {L"IMEName", L"zanTSF"},
            {L"InstallLocation", install_->path() + L"\\"},
            {L"DataLocation", data_->path() + L"\\"},
        };
        for (const auto& [name, value] : values)
            ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), name, value.c_str()));
        engine_ = Engine::Create();
    }
    static void TearDownTestSuite() {
        std::unique_ptr<Engine, EngineDeleter>{engine_};
        engine_ = nullptr;
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, KeyPath().c_str());
        SetPlatform(nullptr);
        delete data_;
        delete install_;
    }
    void SetUp() override {
        ASSERT_NE(engine_, nullptr);
        engine_->ClearInput();
    }
    static std::wstring KeyPath() {
        return std::wstring(L"Software\\ZantorIME3\\") + shipped::kGuidText + L"\\";
    }

    // Types a code written with keypad digits ("64486") key by key as the front ends do:
    // the key's character is classified, inserted and looked up. False when a key is refused.
    static bool Type(const char* digits) {
        Engine* e = engine_;
        e->ClearInput();
        for (const char* p = digits; *p; ++p) {
            const wchar_t ch = static_cast<wchar_t>(0x10 + (*p - '0'));
            const wchar_t text[2] = {ch, 0};
            if (Engine::ClassifyInputChar(e, ch) != kCharInsert) return false;
            e->input.keyChar = text;
            Engine::InsertKeyChar(e);
            e->input.keyChar = nullptr;
            Engine::ProcessInput(e);
        }
        return true;
    }
    static std::string Row(int64_t r) {
        const PageRow& row = engine_->page.rowText[r];
        return Narrow(std::wstring(row.text, row.length));
    }

    static EnginePlatform platform_;
    static TempDir* data_;
    static TempDir* install_;
    static Engine* engine_;
};

EnginePlatform ShippedEngine::platform_;
TempDir* ShippedEngine::data_ = nullptr;
TempDir* ShippedEngine::install_ = nullptr;
Engine* ShippedEngine::engine_ = nullptr;

TEST_F(ShippedEngine, CommonWordsComeFirst) {
    struct Case {
        const char* digits;
        const char* word;
    };
    const Case cases[] = {
        {"64486", "你好"}, {"34664426", "中国"}, {"99", "的"},  {"36", "我"},
        {"144", "是"},     {"82", "不"},         {"486", "好"}, {"9486", "点"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.digits);
        ASSERT_TRUE(Type(c.digits));
        ASSERT_GE(engine_->page.rowCount, 1);
        EXPECT_EQ(engine_->page.pageSize, 5);
        EXPECT_EQ(Row(0), c.word);
        // The first row is what a selection key commits.
        EXPECT_GE(Engine::SelectCandidate(engine_, 1), 0);
        EXPECT_EQ(Narrow(std::wstring(engine_->input.pickedText, engine_->input.pickedLength)),
                  c.word);
    }
}

// The 6,763 characters of GB2312 (rows 16-87), through the ANSI code page 936.
std::vector<std::string> Gb2312Characters() {
    std::vector<std::string> out;
    for (int row = 0xB0; row <= 0xF7; ++row) {
        for (int cell = 0xA1; cell <= 0xFE; ++cell) {
            const char bytes[2] = {static_cast<char>(row), static_cast<char>(cell)};
            wchar_t ch = 0;
            if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes, 2, &ch, 1) == 1 &&
                ch >= 0x4E00 && ch <= 0x9FFF)
                out.push_back(Narrow(std::wstring(1, ch)));
        }
    }
    return out;
}

TEST_F(ShippedEngine, EveryGb2312CharacterUnderEachOfItsCodes) {
    const std::vector<std::string> gb = Gb2312Characters();
    ASSERT_EQ(gb.size(), 6763u);
    const std::unordered_set<std::string> wanted(gb.begin(), gb.end());
    // The characters' entries in the table: their full codes.
    std::vector<std::pair<std::string, std::string>> entries;  // digits, character
    std::unordered_set<std::string> present;
    const TableView v = MakeTableView(engine_->mainTable);
    ASSERT_TRUE(v.valid());
    for (int32_t pos = 0; pos < v.count; ++pos) {
        const uint8_t* e = v.EntryAt(pos);
        ASSERT_NE(e, nullptr);
        const uint8_t* w = EntryWord(e);
        const std::string word(reinterpret_cast<const char*>(w + 1), w[0]);
        if (!wanted.count(word)) continue;
        const uint8_t* code = EntryCode(e);
        std::string digits;
        for (int i = 1; i <= code[0]; ++i) digits += static_cast<char>('0' + code[i] - 0x10);
        entries.emplace_back(digits, word);
        present.insert(word);
    }
    for (const std::string& c : gb) EXPECT_TRUE(present.count(c)) << c << " has no entry";
    int missing = 0;
    for (const auto& [digits, word] : entries) {
        int64_t rank = -1;
        if (Type(digits.c_str())) {
            for (int64_t i = 0; i < engine_->candidateCount && rank < 0; ++i) {
                const uint8_t* w = CandidateWord(engine_->candidates[i]);
                if (w && std::string(reinterpret_cast<const char*>(w + 1), w[0]) == word) rank = i;
            }
        }
        if (rank < 0 && ++missing <= 20) ADD_FAILURE() << word << " not offered under " << digits;
    }
    EXPECT_EQ(missing, 0) << "of " << entries.size() << " entries";
}

TEST_F(ShippedEngine, KeysThatStartNoCode) {
    engine_->ClearInput();
    // Keypad 0 continues a code but does not start one; plain digits are no code keys.
    EXPECT_EQ(Engine::ClassifyInputChar(engine_, 0x10), kCharNotTaken);
    EXPECT_EQ(Engine::ClassifyInputChar(engine_, L'6'), kCharNotTaken);
    EXPECT_EQ(Engine::ClassifyInputChar(engine_, 0x16), kCharInsert);
}

}  // namespace
