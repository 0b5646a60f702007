// The mini dictionary "微型词典 - name": a word's explanations from dict.dms, its related
// words, its codes in main.dmg, a back and forward history and the web lookups. Lookups run
// one at a time on a worker over mappings of its own; a newer request supersedes an older
// one, whose result is dropped.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/dictionary_search.h"
#include "dialog/dialog.h"

struct Engine;

class CKX_Dict final : public Dialog {
public:
    CKX_Dict(Engine* engine, const wchar_t* displayName, const wchar_t* word);

    const std::wstring& currentWord() const { return currentWord_; }
    const DictHistory& history() const { return history_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnOK() override;
    void OnWorkerFinished() override;
    void OnDestroy() override;

private:
    struct Job {
        uint64_t generation = 0;
        std::wstring word;
        bool refreshRelated = true;
        bool searchAll = false;  // only the related list, by the whole-table search
        bool codesOnly = false;
    };
    struct Result {
        uint64_t generation = 0;
        bool hasRelated = false, hasText = false, hasCodes = false;
        std::vector<std::wstring> related;
        std::wstring text, codes;
    };
    void Request(Job job);
    void StartJob();
    void ShowText(const std::wstring& text);
    void SetRelated(std::vector<std::wstring> words);
    void UpdateHistoryButtons();
    void BringToFront();
    void Layout(int width, int height);
    void OpenWeb(WebLookup service);

    Engine* engine_;
    std::wstring displayName_;
    std::wstring currentWord_;
    DictHistory history_;
    bool recordHistory_ = true;
    bool refreshRelated_ = true;
    bool wasMinimized_ = false;
    bool settingRelated_ = false;
    std::vector<std::wstring> related_;
    uint64_t generation_ = 0;
    bool jobPending_ = false;
    Job next_;       // the newest request not yet started
    Job running_;    // the worker's own while it runs
    Result result_;  // written by the worker, read after it was joined
};

// The dialog of a start: modal, the word looked up at once.
INT_PTR RunDictionary(Engine* engine, const wchar_t* displayName, const wchar_t* word);
