// An engine record over in-memory tables and settings, for the engine tests.
#pragma once
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/table/table_format.h"
#include "engine/candidates.h"
#include "support/table_fixture.h"
#include "support/test_files.h"

namespace engine_test {

using testing_support::FixtureEntry;

inline uint32_t Flags(uint32_t order, uint32_t cls, bool pinned = false, bool deleted = false) {
    return ComposeFlags(order, cls, pinned) | (deleted ? kFlagDeleted : 0);
}

// The shared fixture table: codes a, ab, abc, zz; classes 1-4; pinned and deleted entries.
inline std::vector<FixtureEntry> StandardEntries() {
    return {
        {"a", "阿", Flags(100, 1)},      {"a", "啊", Flags(300, 1)},
        {"a", "吖", Flags(50, 1, true)}, {"a", "腌", Flags(900, 1, false, true)},
        {"a", "锕", Flags(500, 3)},      {"a", "嗄", Flags(400, 4)},
        {"ab", "阿爸", Flags(10, 1)},    {"abc", "阿布次", Flags(5, 2)},
        {"zz", "最", Flags(7, 1)},       {"x", "戏", Flags(1, 3)},
        {"m", "们", Flags(20, 16)},
    };
}

class TestEngine {
public:
    explicit TestEngine(std::vector<FixtureEntry> mainEntries = StandardEntries(),
                        std::vector<FixtureEntry> tempEntries = {},
                        std::vector<std::pair<std::string, std::string>> traditional = {}) {
        config_.assign(kConfigFileSize + 2, 0);
        InitConfigImage(config_.data(), kConfigFileSize);
        main_ = testing_support::MakeCodeTable(std::move(mainEntries), 1);
        Wrap(&configFile_, config_);
        Wrap(&mainFile_, main_);
        e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
        e->configFile = &configFile_;
        e->mainTable = &mainFile_;
        if (!tempEntries.empty()) {
            temp_ = testing_support::MakeCodeTable(std::move(tempEntries), 3);
            Wrap(&tempFile_, temp_);
            e->tempTable = &tempFile_;
        }
        if (!traditional.empty()) {
            trad_ = testing_support::MakeKeyValueTable(traditional);
            Wrap(&tradFile_, trad_);
            e->traditionalTable = &tradFile_;
        }
        e->ime = FindImeConfig(&configFile_);
        e->dme = FindDmeConfig(&configFile_);
        e->skin = FindSkinConfig(&configFile_);
        e->soft = FindSoftConfig(&configFile_);
        e->page.pageEnd = -1;
        // Main scheme, five rows; letters start and continue codes.
        e->ime->options = kImeMainTable;
        e->ime->listOptions = 5u << kListPageShift;
        for (int c = 'a'; c <= 'z'; ++c) e->dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
    }
    ~TestEngine() { std::free(e); }
    TestEngine(const TestEngine&) = delete;
    TestEngine& operator=(const TestEngine&) = delete;

    // Settings bytes, for the check that a lookup leaves them as they were.
    std::vector<uint8_t> SettingsBytes() const { return config_; }

    // Types each character at the caret and runs the lookup; returns the last result.
    int Type(const std::wstring& keys) {
        int r = 0;
        for (wchar_t c : keys) {
            InputState& in = e->input;
            if (in.codeLength >= kMaxCodeUnits) break;
            std::memmove(in.code + in.caret + 1, in.code + in.caret,
                         (in.codeLength - in.caret) * sizeof(wchar_t));
            in.code[in.caret] = c;
            ++in.caret;
            ++in.codeLength;
            in.code[in.codeLength] = 0;
            r = Engine::ProcessInput(e);
        }
        return r;
    }

    std::vector<std::string> PageWords() const {
        std::vector<std::string> out;
        for (int64_t r = 0; r < e->page.rowCount; ++r)
            out.push_back(testing_support::Narrow(
                std::wstring(e->page.rowText[r].text, e->page.rowText[r].length)));
        return out;
    }
    std::vector<std::string> CommitWords() const {
        std::vector<std::string> out;
        for (int64_t r = 0; r < e->page.rowCount; ++r)
            out.push_back(testing_support::Narrow(
                std::wstring(e->page.rowCommit[r].text, e->page.rowCommit[r].length)));
        return out;
    }

    Engine* e;

private:
    static void Wrap(MappedFile* f, std::vector<uint8_t>& bytes) {
        std::memset(f, 0, sizeof *f);
        f->size = static_cast<int32_t>(bytes.size());
        f->view = bytes.data();
    }
    std::vector<uint8_t> config_, main_, temp_, trad_;
    MappedFile configFile_, mainFile_, tempFile_, tradFile_;
};

}  // namespace engine_test
