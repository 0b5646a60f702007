// A front-end host that records what the actions ask of it, and a platform table that
// records synthesised keys and launches.
#pragma once
#include <string>
#include <vector>

#include "core/record/engine.h"
#include "engine/platform.h"
#include "textservice/actions/action_host.h"

namespace actions_test {

class RecordingHost : public ActionHost {
public:
    explicit RecordingHost(FrontEnd kind = FrontEnd::kTextService) : kind_(kind) {}

    FrontEnd Kind() const override { return kind_; }
    bool Composing() override { return composing; }
    bool CanSwitchSoftKeyboard() override { return canSwitchSoftKeyboard; }
    void ActOnLookup(int result) override { Log("lookup " + std::to_string(result)); }
    void ShowPage() override { Log("page"); }
    int SelectCandidate(int selector) override {
        Log("select " + std::to_string(selector));
        composing = false;
        return 1;
    }
    void CommitCandidate() override {
        Log("commit");
        composing = false;
    }
    void EndComposition() override {
        Log("end");
        composing = false;
    }
    void RepeatLastCommit() override {
        Log("repeat");
        output = lastCommit;
    }
    void RunKeyHandler() override { Log("key handler"); }
    int LastCommit(const wchar_t** text) override {
        *text = lastCommit.c_str();
        return static_cast<int>(lastCommit.size());
    }
    void ForgetLastCommit() override {
        Log("forget");
        lastCommit.clear();
    }
    bool ReadOpenState() override { return open; }
    void WriteOpenState(bool value) override {
        Log(value ? "open 1" : "open 0");
        open = value;
    }
    uint32_t ReadConversionMode() override { return conversion; }
    void WriteConversionMode(uint32_t mode) override {
        conversion = mode;
        ++conversionWrites;
    }
    void RefreshLanguageBar() override { Log("refresh"); }
    void UpdateKeyboardState() override { Log("keyboard state"); }
    void ShowStateTip(const wchar_t* text) override { tip = text; }
    void SkipNextKey() override { Log("skip"); }
    void ReAddLanguageBarButtons() override { Log("langbar"); }
    HWND OwnerWindow() override { return nullptr; }
    void InterfaceToggled() override { Log("interface"); }
    void CandidateWindowToggled() override { Log("candidate window"); }
    void ShowSoftKeyboard(uint32_t layout) override {
        Log("soft keyboard " + std::to_string(layout));
    }
    void HideSoftKeyboard() override { Log("soft keyboard off"); }

    // Calls in order, joined by ", ".
    std::string Calls() const {
        std::string s;
        for (const std::string& c : log) s += (s.empty() ? "" : ", ") + c;
        return s;
    }

    bool composing = false;
    bool canSwitchSoftKeyboard = true;
    bool open = true;
    uint32_t conversion = 0;
    int conversionWrites = 0;
    std::wstring tip, output, lastCommit;
    std::vector<std::string> log;

private:
    void Log(std::string s) { log.push_back(std::move(s)); }
    FrontEnd kind_;
};

// Key events and launches of the actions, through the engine's platform table.
struct PlatformRecord {
    std::vector<std::pair<uint8_t, uint32_t>> keys;
    std::wstring launchedFile, launchedParameters;
    int launches = 0;
    bool capsLock = false;
};

inline PlatformRecord*& CurrentRecord() {
    static PlatformRecord* record = nullptr;
    return record;
}

class RecordingPlatform {
public:
    RecordingPlatform() {
        CurrentRecord() = &record;
        table_.keyEvent = [](uint8_t vk, uint32_t flags) {
            CurrentRecord()->keys.emplace_back(vk, flags);
        };
        table_.keyState = [](int vk) -> int16_t {
            return vk == VK_CAPITAL && CurrentRecord()->capsLock ? 1 : 0;
        };
        table_.shellExecute = [](HWND, const wchar_t* file, const wchar_t* parameters,
                                 const wchar_t*, int) {
            PlatformRecord* r = CurrentRecord();
            r->launchedFile = file ? file : L"";
            r->launchedParameters = parameters ? parameters : L"";
            ++r->launches;
            return 1;
        };
        table_.messageBox = [](HWND, const wchar_t*, const wchar_t*, uint32_t) { return IDNO; };
        SetPlatform(&table_);
    }
    ~RecordingPlatform() {
        SetPlatform(nullptr);
        CurrentRecord() = nullptr;
    }
    RecordingPlatform(const RecordingPlatform&) = delete;
    RecordingPlatform& operator=(const RecordingPlatform&) = delete;

    PlatformRecord record;

private:
    EnginePlatform table_{};
};

}  // namespace actions_test
