// The input method's engine over the shipped data folder as it is installed: codes typed key
// by key give the words a user expects first.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/base/registry.h"
#include "core/record/engine.h"
#include "core/table/table_format.h"
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
        {"64486", "你好"}, {"34664426", "中国"}, {"99", "的"},
        {"36", "我"},      {"144", "是"},        {"82", "不"},
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

TEST_F(ShippedEngine, KeysThatStartNoCode) {
    engine_->ClearInput();
    // Keypad 0 continues a code but does not start one; plain digits are no code keys.
    EXPECT_EQ(Engine::ClassifyInputChar(engine_, 0x10), kCharNotTaken);
    EXPECT_EQ(Engine::ClassifyInputChar(engine_, L'6'), kCharNotTaken);
    EXPECT_EQ(Engine::ClassifyInputChar(engine_, 0x16), kCharInsert);
}

}  // namespace
