// A fake of the dialog port for tests: installed for its lifetime, it records every call and
// answers from scripted queues (defaults when a queue is empty) without showing anything.
//
//   RecordingUiPort ui;
//   ui.messageAnswers.push_back(IDYES);
//   ... run the dialog code ...
//   ASSERT_EQ(ui.Count(UiCallKind::Message), 1);
//   EXPECT_EQ(ui.calls[0].text, L"...");
#pragma once
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

#include "dialog/ui_port.h"

enum class UiCallKind { Message, OpenFile, SaveFile, Folder, Menu, Shell, Help };

struct UiCall {
    UiCallKind kind;
    HWND owner;
    std::wstring text;     // message text, file title, folder title, shell file, help file
    std::wstring caption;  // message caption, shell verb
    std::wstring extra;    // shell parameters
    UINT flags;            // message type, menu flags, shell show, help command
    DWORD_PTR data;        // help data
};

class RecordingUiPort final : public UiPort {
public:
    RecordingUiPort() : previous_(SetUiPort(this)) {}
    ~RecordingUiPort() override { SetUiPort(previous_); }
    RecordingUiPort(const RecordingUiPort&) = delete;
    RecordingUiPort& operator=(const RecordingUiPort&) = delete;

    std::vector<UiCall> calls;
    std::deque<int> messageAnswers;  // empty: defaultMessageAnswer
    int defaultMessageAnswer = IDOK;
    std::deque<std::wstring> fileAnswers;    // chosen paths; an empty text cancels (also when
    std::deque<std::wstring> folderAnswers;  // the queue is empty)
    std::deque<UINT> menuAnswers;            // chosen commands; empty queue: 0
    bool shellResult = true;

    int Count(UiCallKind kind) const {
        int n = 0;
        for (const UiCall& c : calls) n += c.kind == kind;
        return n;
    }
    // The last call of a kind (null when none).
    const UiCall* Last(UiCallKind kind) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->kind == kind) return &*it;
        return nullptr;
    }

    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
        calls.push_back({UiCallKind::Message, owner, Text(text), Text(caption), {}, type, 0});
        return Pop(messageAnswers, defaultMessageAnswer);
    }
    bool ChooseOpenFile(OPENFILENAMEW& dialog) override {
        return File(UiCallKind::OpenFile, dialog);
    }
    bool ChooseSaveFile(OPENFILENAMEW& dialog) override {
        return File(UiCallKind::SaveFile, dialog);
    }
    bool ChooseFolder(HWND owner, const wchar_t* title, wchar_t (&out)[kPathChars]) override {
        calls.push_back({UiCallKind::Folder, owner, Text(title), {}, {}, 0, 0});
        std::wstring answer = Pop(folderAnswers, std::wstring());
        out[0] = 0;
        if (answer.empty() || answer.size() >= kPathChars) return false;
        wcscpy(out, answer.c_str());
        return true;
    }
    UINT TrackMenu(HMENU, UINT flags, int, int, HWND owner) override {
        calls.push_back({UiCallKind::Menu, owner, {}, {}, {}, flags, 0});
        return Pop(menuAnswers, 0u);
    }
    bool ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                   const wchar_t*, int show) override {
        calls.push_back({UiCallKind::Shell, owner, Text(file), Text(verb), Text(parameters),
                         static_cast<UINT>(show), 0});
        return shellResult;
    }
    HWND ShowHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) override {
        calls.push_back({UiCallKind::Help, caller, Text(file), {}, {}, command, data});
        return nullptr;
    }

private:
    static std::wstring Text(const wchar_t* s) { return s ? s : L""; }
    template <class T>
    static T Pop(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T v = queue.front();
        queue.pop_front();
        return v;
    }
    bool File(UiCallKind kind, OPENFILENAMEW& dialog) {
        calls.push_back({kind, dialog.hwndOwner, Text(dialog.lpstrTitle), {}, {}, 0, 0});
        std::wstring answer = Pop(fileAnswers, std::wstring());
        if (dialog.lpstrFile && dialog.nMaxFile) dialog.lpstrFile[0] = 0;
        if (answer.empty() || !dialog.lpstrFile || answer.size() >= dialog.nMaxFile) return false;
        wcscpy(dialog.lpstrFile, answer.c_str());
        return true;
    }

    UiPort* previous_;
};
