#include "engine/commands/command_pick.h"

#include <cstring>
#include <cwchar>

#include "core/base/text_convert.h"
#include "core/base/url_encode.h"
#include "core/table/code_table.h"
#include "engine/commands/command_entry.h"

namespace {

constexpr wchar_t kAppPath[] = L"%apppath%";
constexpr size_t kAppPathLength = 9;

bool StartsWith(const wchar_t* text, const wchar_t* prefix) {
    return wcsncmp(text, prefix, wcslen(prefix)) == 0;
}

void Copy(wchar_t (&out)[kCommandArgumentUnits], const wchar_t* text, size_t count) {
    const size_t n = count < kCommandArgumentUnits - 1 ? count : kCommandArgumentUnits - 1;
    wmemcpy(out, text, n);
    out[n] = 0;
}

// The word of the row's candidate was a command entry: only those rows may run commands.
bool RowIsCommandEntry(const Engine* e, int64_t row) {
    const int64_t index = e->page.rowCandidate[row - 1];
    if (index < 0 || index >= e->candidateCount) return false;
    const Candidate& c = e->candidates[index];
    if (!c.entry || !(c.kind & (kKindHasCodeAndWord | kKindHasCodeAndWordAlt))) return false;
    const uint8_t* word = EntryWord(c.entry);
    wchar_t text[kRowTextUnits];
    int n = Utf8ToUtf16(reinterpret_cast<const char*>(word + 1), word[0], text, kRowTextUnits - 1);
    if (n <= 0) return false;
    if (n > kRowTextUnits - 1) n = kRowTextUnits - 1;
    text[n] = 0;
    return IsCommandEntryWord(text);
}

void SetPicked(InputState& in, const wchar_t* text, size_t count) {
    const size_t n = count < kPickedUnits - 1 ? count : kPickedUnits - 1;
    wmemcpy(in.pickedText, text, n);
    in.pickedText[n] = 0;
    in.pickedLength = static_cast<uint32_t>(n);
}

struct Prefixed {
    const wchar_t* prefix;
    uint32_t action;
};
constexpr Prefixed kCommands[] = {
    {L"readfile(", kActionReadFile}, {L"help(", kActionHelp},     {L"convert(", kActionConvert},
    {L"skbd(", kActionSoftKeyboard}, {L"config(", kActionConfig},
};

}  // namespace

int ExtractCommandArgument(Engine* e, const wchar_t* command,
                           wchar_t (&out)[kCommandArgumentUnits]) {
    out[0] = 0;
    if (!command) return 0;
    const wchar_t* open = wcschr(command, L'(');
    const wchar_t* close = wcsrchr(command, L')');
    if (!open || !close || close < open) return 0;
    const wchar_t* arg = open + 1;
    size_t length = static_cast<size_t>(close - arg);
    wchar_t text[kCommandArgumentUnits];
    if (length >= kAppPathLength && wcsncmp(arg, kAppPath, kAppPathLength) == 0 && e) {
        const wchar_t* folder = e->installLocation;
        const size_t folderLength = wcsnlen(folder, kPathChars);
        arg += kAppPathLength;
        length -= kAppPathLength;
        // The install folder ends in "\": never two of them.
        if (length > 0 && *arg == L'\\' && folderLength > 0 && folder[folderLength - 1] == L'\\') {
            ++arg;
            --length;
        }
        size_t n =
            folderLength < kCommandArgumentUnits - 1 ? folderLength : kCommandArgumentUnits - 1;
        wmemcpy(text, folder, n);
        const size_t rest =
            length < kCommandArgumentUnits - 1 - n ? length : kCommandArgumentUnits - 1 - n;
        wmemcpy(text + n, arg, rest);
        text[n + rest] = 0;
    } else {
        Copy(text, arg, length);
    }
    if (StartsWith(text, L"http://"))
        UrlEncodeText(text, out, kCommandArgumentUnits);
    else
        Copy(out, text, wcslen(text));
    return static_cast<int>(close - command) + 1;
}

uint32_t RunCandidateCommand(Engine* e, int64_t row) {
    if (!e || !e->ime || !(e->ime->features & kFeatCommands)) return 0;
    if (row < 1 || row > 10 || row > e->page.rowCount) return 0;
    const PageRow& commit = e->page.rowCommit[row - 1];
    if (commit.length == 0 || !RowIsCommandEntry(e, row)) return 0;
    wchar_t text[kRowTextUnits];
    const size_t length = commit.length < kRowTextUnits - 1 ? commit.length : kRowTextUnits - 1;
    wmemcpy(text, commit.text, length);
    text[length] = 0;

    InputState& in = e->input;
    auto command = [&](uint32_t action) -> uint32_t {
        wchar_t arg[kCommandArgumentUnits];
        if (!ExtractCommandArgument(e, text, arg)) return 0;
        wmemcpy(in.commandArgument, arg, kCommandArgumentUnits);
        SetPicked(in, L"", 0);
        in.pickedAction = action;
        return action;
    };
    if (StartsWith(text, L"run(")) return command(kActionRun);
    if (StartsWith(text, L"set(")) {
        if (!wcsrchr(text, L')')) return 0;
        Copy(in.commandArgument, text, length);
        SetPicked(in, L"", 0);
        in.pickedAction = kActionSet;
        return kActionSet;
    }
    for (const Prefixed& p : kCommands)
        if (StartsWith(text, p.prefix)) return command(p.action);

    const wchar_t* keyboard = wcsstr(text, L"keyboard(");
    if (keyboard) {
        const size_t before = static_cast<size_t>(keyboard - text);
        Copy(in.commandArgument, keyboard, length - before);
        SetPicked(in, text, before);
        in.pickedAction = before ? kActionKeyboardAfterText : kActionKeyboard;
        return in.pickedAction;
    }
    const wchar_t* newKey = wcsstr(text, L"newkey(");
    if (newKey) {
        wchar_t arg[kCommandArgumentUnits];
        if (!ExtractCommandArgument(e, newKey, arg)) return 0;
        wmemcpy(in.commandArgument, arg, kCommandArgumentUnits);
        SetPicked(in, text, static_cast<size_t>(newKey - text));
        in.pickedAction = kActionNewKey;
        return kActionNewKey;
    }
    return 0;
}
