#include "engine/commands/command_run.h"

#include <cstdio>
#include <cwchar>

#include "core/settings/config_blocks.h"
#include "engine/commands/command_hooks.h"
#include "engine/commands/command_pick.h"
#include "engine/commands/key_groups.h"
#include "engine/commands/word_reader.h"
#include "engine/platform.h"

namespace {

constexpr int kCommandLineUnits = 1024;

int Launch(const wchar_t* file, const wchar_t* parameters, const wchar_t* verb, int show,
           HWND owner = nullptr) {
    return PLATFORM_CALL(shellExecute)(owner, file, parameters, verb, show);
}

bool InstallFile(const Engine* e, const wchar_t* name, wchar_t (&out)[MAX_PATH]) {
    const int n = swprintf(out, MAX_PATH, L"%ls%ls", e->installLocation, name);
    return n > 0 && n < MAX_PATH;
}

// Splits "first,rest" at the first comma into first (bounded) and a pointer to rest.
const wchar_t* SplitAtComma(const wchar_t* text, wchar_t* first, size_t units) {
    const wchar_t* comma = wcschr(text, L',');
    const size_t length = comma ? static_cast<size_t>(comma - text) : wcslen(text);
    const size_t n = length < units - 1 ? length : units - 1;
    wmemcpy(first, text, n);
    first[n] = 0;
    return comma ? comma + 1 : nullptr;
}

enum class Switch { On, Off, Toggle };

Switch ReadSwitch(const wchar_t* value, const wchar_t* on, const wchar_t* off) {
    if (value && !wcscmp(value, on)) return Switch::On;
    if (value && !wcscmp(value, off)) return Switch::Off;
    return Switch::Toggle;
}

bool Apply(Switch s, bool current) {
    return s == Switch::On ? true : s == Switch::Off ? false : !current;
}

bool EndsWithNoCase(const wchar_t* text, const wchar_t* suffix) {
    const size_t n = wcslen(text), m = wcslen(suffix);
    return n >= m && _wcsicmp(text + n - m, suffix) == 0;
}

void PasteWithCtrlV() {
    auto key = PLATFORM_CALL(keyEvent);
    key(VK_CONTROL, 0);
    key('V', 0);
    key('V', KEYEVENTF_KEYUP);
    key(VK_CONTROL, KEYEVENTF_KEYUP);
}

}  // namespace

int RunOpenCommand(const wchar_t* target) {
    if (!target || !target[0]) return 0;
    return Launch(target, nullptr, L"open", SW_SHOWNORMAL);
}

int RunSetCommand(Engine* e, const wchar_t* line) {
    if (!e || !e->ime || !line || !line[0]) return 0;
    const CommandHooks& hooks = CommandHookTable();
    if (!hooks.applySettingLine) return 0;
    const uint32_t before = e->ime->options & kImeStyleMask;
    if (hooks.applySettingLine(e, line) != 1) return 0;
    const uint32_t after = e->ime->options & kImeStyleMask;
    if (after != before) {
        wchar_t file[MAX_PATH], parameters[kCommandLineUnits];
        if (InstallFile(e, L"installer.exe", file)) {
            swprintf(parameters, kCommandLineUnits,
                     after ? L"/EMMODE=1 /GUID=%ls" : L"/EMMODE=0 /GUID=%ls", e->guidText);
            Launch(file, parameters, L"", SW_HIDE);
        }
    }
    return 1;
}

int RunConvertCommand(Engine* e, const wchar_t* argument) {
    if (!e || !argument) return 0;
    wchar_t name[32];
    const wchar_t* value = SplitAtComma(argument, name, 32);
    if (!wcscmp(name, L"中英文标点")) {
        const bool english =
            Apply(ReadSwitch(value, L"英文", L"中文"), e->state & kStateEnglishPunct);
        e->state = english ? e->state | kStateEnglishPunct : e->state & ~kStateEnglishPunct;
    } else if (!wcscmp(name, L"全半角")) {
        const bool full =
            Apply(ReadSwitch(value, L"全角", L"半角"), e->state & kStateFullWidthOutput);
        if (full) {
            e->state |= kStateFullWidthOutput;
            if (e->ime) e->ime->options &= ~kImeTraditionalOutput;
        } else {
            e->state &= ~kStateFullWidthOutput;
        }
    } else if (!wcscmp(name, L"繁体输出")) {
        if (!e->ime) return 0;
        Engine::SetTraditionalOutput(
            e, Apply(ReadSwitch(value, L"打开", L"关闭"), e->ime->options & kImeTraditionalOutput));
    } else if (!wcscmp(name, L"简体输出")) {
        if (!e->ime) return 0;
        const bool on =
            Apply(ReadSwitch(value, L"打开", L"关闭"), e->ime->options & kImeSimplifiedOutput);
        e->ime->options =
            on ? e->ime->options | kImeSimplifiedOutput : e->ime->options & ~kImeSimplifiedOutput;
    } else {
        return 0;
    }
    return 1;
}

int RunKeyboardCommand(Engine*, const wchar_t* argument) { return PlayKeyGroups(argument); }

int RunReadFileCommand(Engine* e, const wchar_t* argument) {
    if (!e || !argument) return 0;
    wchar_t folder[MAX_PATH];
    const wchar_t* name = SplitAtComma(argument, folder, MAX_PATH);
    if (!name || !name[0]) return 0;
    wchar_t path[MAX_PATH];
    const size_t folderLength = wcslen(folder);
    const bool slash = folderLength > 0 && folder[folderLength - 1] != L'\\';
    const int n = swprintf(path, MAX_PATH, slash ? L"%ls\\%ls" : L"%ls%ls", folder, name);
    if (n <= 0 || n >= MAX_PATH) return 0;
    if (EndsWithNoCase(path, L".png") || EndsWithNoCase(path, L".bmp")) {
        const CommandHooks& hooks = CommandHookTable();
        if (!hooks.decodeImageFile) return 0;
        HBITMAP bitmap = hooks.decodeImageFile(path);
        if (!bitmap) return 0;
        if (!PLATFORM_CALL(setClipboardBitmap)(bitmap)) {
            DeleteObject(bitmap);
            return 0;
        }
        PasteWithCtrlV();
        return 1;
    }
    static const wchar_t* const kDocuments[] = {L".doc", L".docx", L".wps", L".txt"};
    for (const wchar_t* ext : kDocuments) {
        if (!EndsWithNoCase(path, ext)) continue;
        static wchar_t text[kWordReaderOutputUnits];
        const int got = CallExternalWordReader(e, path, text, kWordReaderOutputUnits);
        if (got <= 0 || !PLATFORM_CALL(setClipboardText)(text, got)) return 0;
        PasteWithCtrlV();
        return 1;
    }
    return 0;
}

int LaunchConfigProgram(Engine* e, const wchar_t* request, HWND owner) {
    if (!e) return 0;
    wchar_t file[MAX_PATH], parameters[kCommandLineUnits];
    if (!InstallFile(e, L"config.exe", file)) return 0;
    const int n = swprintf(parameters, kCommandLineUnits, L"/n %ls %ls", e->guidText,
                           request ? request : L"");
    if (n <= 0) return 0;
    return Launch(file, parameters, L"open", SW_SHOWNORMAL, owner);
}

int ShowHelpTopic(Engine* e, const wchar_t* topic, int cx, int cy) {
    if (!e || !topic) return 0;
    wchar_t file[MAX_PATH], parameters[kCommandLineUnits];
    if (!InstallFile(e, L"config.exe", file)) return 0;
    const int n =
        swprintf(parameters, kCommandLineUnits,
                 L"/showurl 'mk:@MSITStore:%lsmain.chm::/%ls' /showurlCX %d /showurlCY %d",
                 e->installLocation, topic, cx, cy);
    if (n <= 0) return 0;
    return Launch(file, parameters, L"open", SW_SHOWNORMAL);
}

uint32_t RunPickedCommand(Engine* e) {
    if (!e || !e->ime || !(e->ime->features & kFeatCommands)) return 0;
    const uint32_t action = e->input.pickedAction;
    if (!(action & kActionRunAfterCommit)) return 0;
    wchar_t* arg = e->input.commandArgument;
    arg[kCommandArgumentUnits - 1] = 0;
    if (action & kRunBitOpen) {
        RunOpenCommand(arg);
        return kRunBitOpen;
    }
    if (action & kRunBitReadFile) {
        RunReadFileCommand(e, arg);
        return kRunBitReadFile;
    }
    if (action & kRunBitHelp) {
        wchar_t topic[MAX_PATH];
        const wchar_t* rest = SplitAtComma(arg, topic, MAX_PATH);
        int cx = 0, cy = 0;
        if (rest) swscanf(rest, L"%d,%d", &cx, &cy);
        ShowHelpTopic(e, topic, cx, cy);
        return kRunBitHelp;
    }
    if (action & kRunBitSet) {
        RunSetCommand(e, arg);
        return kRunBitSet;
    }
    if (action & kRunBitConvert) {
        RunConvertCommand(e, arg);
        return kRunBitConvert;
    }
    if (action & kRunBitSoftKeyboard) {
        const CommandHooks& hooks = CommandHookTable();
        if (hooks.softKeyboardCommand) hooks.softKeyboardCommand(e, arg);
        return kRunBitSoftKeyboard;
    }
    if (action & kRunBitConfig) {
        LaunchConfigProgram(e, arg);
        return kRunBitConfig;
    }
    if (action & kRunBitKeyboard) {
        RunKeyboardCommand(e, arg);
        return kRunBitKeyboard;
    }
    return 0;
}
