// Executors of picked commands through the platform seam and the command hooks.
#include "engine/commands/command_run.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/command_fixture.h"
#include "engine/commands/command_hooks.h"
#include "engine/commands/command_pick.h"
#include "engine/commands/key_groups.h"
#include "engine/commands/word_reader.h"

using namespace command_test;

namespace {

const wchar_t kGuid[] = L"{12345678-1234-1234-1234-123456789ABC}";

void Pick(Engine* e, uint32_t action, const wchar_t* argument) {
    e->input.pickedAction = action;
    std::wcscpy(e->input.commandArgument, argument);
}

TEST(RunPickedCommand, LaunchesWithExactCommandLines) {
    struct Case {
        const char* name;
        uint32_t action;
        const wchar_t* argument;
        uint32_t ran;
        Launch launch;
    } cases[] = {
        {"run",
         kActionRun,
         L"C:\\Zan\\a.txt",
         kRunBitOpen,
         {L"C:\\Zan\\a.txt", L"", L"open", SW_SHOWNORMAL}},
        {"config",
         kActionConfig,
         L"/do 3",
         kRunBitConfig,
         {L"C:\\Zan\\config.exe", std::wstring(L"/n ") + kGuid + L" /do 3", L"open",
          SW_SHOWNORMAL}},
        {"help",
         kActionHelp,
         L"page.htm,640,480",
         kRunBitHelp,
         {L"C:\\Zan\\config.exe",
          L"/showurl 'mk:@MSITStore:C:\\Zan\\main.chm::/page.htm' /showurlCX 640 /showurlCY 480",
          L"open", SW_SHOWNORMAL}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandEngine t;
        Pick(t.e, c.action, c.argument);
        EXPECT_EQ(RunPickedCommand(t.e), c.ran);
        ASSERT_EQ(Rec().launches.size(), 1u);
        EXPECT_EQ(Rec().launches[0], c.launch);
    }
}

TEST(RunPickedCommand, NothingRunsWhenDisabledOrNoCommand) {
    CommandEngine t;
    Pick(t.e, kActionRun, L"x.exe");
    t.ime->features = 0;
    EXPECT_EQ(RunPickedCommand(t.e), 0u);
    t.ime->features = kFeatCommands;
    Pick(t.e, kActionNewKey, L"x.exe");
    EXPECT_EQ(RunPickedCommand(t.e), 0u);
    Pick(t.e, 0, L"x.exe");
    EXPECT_EQ(RunPickedCommand(t.e), 0u);
    EXPECT_TRUE(Rec().launches.empty());
    EXPECT_EQ(RunPickedCommand(nullptr), 0u);
}

TEST(RunKeyboardCommand, PlaysKeyGroups) {
    const KeyEvent a{'A', false}, A{'A', true};
    const KeyEvent ctrl{VK_CONTROL, false}, CTRL{VK_CONTROL, true};
    const KeyEvent shift{VK_SHIFT, false}, SHIFT{VK_SHIFT, true};
    struct Case {
        const wchar_t* argument;
        int groups;
        std::vector<KeyEvent> events;
    } cases[] = {
        {L"keyboard(<a>)", 1, {a, A}},
        {L"keyboard(<65*2>)", 1, {a, A, a, A}},
        {L"keyboard(<0x41+Ctrl+Shift>)", 1, {ctrl, shift, a, A, SHIFT, CTRL}},
        {L"keyboard(<a><a+Ctrl>)", 2, {a, A, ctrl, a, A, CTRL}},
        {L"keyboard(<a>,<a>)", 1, {a, A}},
        {L"keyboard(<a>)<a>", 1, {a, A}},
        {L"keyboard(<nothing><300><a>)", 1, {a, A}},
        {L"keyboard(<a", 0, {}},
        {L"keyboard(<A>)", 1, {shift, a, A, SHIFT}},
        {L"keyboard(<键F5>)", 1, {{VK_F5, false}, {VK_F5, true}}},
        {L"", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.argument)));
        CommandEngine t;
        EXPECT_EQ(RunKeyboardCommand(t.e, c.argument), c.groups);
        EXPECT_EQ(Rec().keys, c.events);
    }
}

TEST(RunKeyboardCommand, RepeatCountIsBounded) {
    CommandEngine t;
    EXPECT_EQ(RunKeyboardCommand(t.e, L"keyboard(<a*999999999>)"), 1);
    EXPECT_EQ(Rec().keys.size(), static_cast<size_t>(2 * kMaxKeyRepeat));
}

TEST(RunKeyboardCommand, ThroughThePickedAction) {
    CommandEngine t;
    Pick(t.e, kActionKeyboardAfterText, L"keyboard(<a>)");
    EXPECT_EQ(RunPickedCommand(t.e), kRunBitKeyboard);
    EXPECT_EQ(Rec().keys.size(), 2u);
}

TEST(RunConvertCommand, Switches) {
    struct Case {
        const wchar_t* argument;
        uint32_t stateBefore, optionsBefore;
        uint32_t stateAfter, optionsAfter;
        int result;
    } cases[] = {
        {L"中英文标点,中文", kStateEnglishPunct, 0, 0, 0, 1},
        {L"中英文标点,英文", 0, 0, kStateEnglishPunct, 0, 1},
        {L"中英文标点", kStateEnglishPunct, 0, 0, 0, 1},
        {L"全半角,全角", 0, kImeTraditionalOutput, kStateFullWidthOutput, 0, 1},
        {L"全半角,半角", kStateFullWidthOutput, 0, 0, 0, 1},
        {L"全半角,x", 0, 0, kStateFullWidthOutput, 0, 1},
        {L"繁体输出,打开", 0, kImeSimplifiedOutput, 0, kImeTraditionalOutput, 1},
        {L"繁体输出,关闭", 0, kImeTraditionalOutput, 0, 0, 1},
        {L"繁体输出", 0, 0, 0, kImeTraditionalOutput, 1},
        {L"简体输出,打开", 0, 0, 0, kImeSimplifiedOutput, 1},
        {L"简体输出", 0, kImeSimplifiedOutput, 0, 0, 1},
        {L"别的,打开", 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.argument)));
        CommandEngine t;
        t.e->state = c.stateBefore;
        t.ime->options = c.optionsBefore;
        EXPECT_EQ(RunConvertCommand(t.e, c.argument), c.result);
        EXPECT_EQ(t.e->state, c.stateAfter);
        EXPECT_EQ(t.ime->options, c.optionsAfter);
    }
}

// The settings-line hook: "style" sets the TSF classic style bit, "plain" nothing,
// "bad" refuses the line.
int FakeApply(Engine* e, const wchar_t* line) {
    if (!wcscmp(line, L"set(style)")) e->ime->options |= kImeStyleTsfClassic;
    if (!wcscmp(line, L"set(nostyle)")) e->ime->options &= ~kImeStyleMask;
    return wcscmp(line, L"set(bad)") ? 1 : 0;
}

TEST(RunSetCommand, StartsTheInstallerWhenTheStyleChanges) {
    const CommandHooks hooks = {FakeApply, nullptr, nullptr};
    struct Case {
        const wchar_t* line;
        uint32_t optionsBefore;
        int result;
        std::vector<Launch> launches;
    } cases[] = {
        {L"set(style)",
         0,
         1,
         {{L"C:\\Zan\\installer.exe", std::wstring(L"/EMMODE=1 /GUID=") + kGuid, L"", SW_HIDE}}},
        {L"set(nostyle)",
         kImeStyleTsfEmbedCode,
         1,
         {{L"C:\\Zan\\installer.exe", std::wstring(L"/EMMODE=0 /GUID=") + kGuid, L"", SW_HIDE}}},
        {L"set(style)", kImeStyleTsfClassic, 1, {}},
        {L"set(plain)", 0, 1, {}},
        {L"set(bad)", 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
        CommandEngine t;
        SetCommandHooks(&hooks);
        t.ime->options = c.optionsBefore;
        Pick(t.e, kActionSet, c.line);
        EXPECT_EQ(RunPickedCommand(t.e), kRunBitSet);
        EXPECT_EQ(RunSetCommand(t.e, c.line), c.result);
        EXPECT_EQ(Rec().launches, c.launches);
        SetCommandHooks(nullptr);
    }
    CommandEngine t;
    EXPECT_EQ(RunSetCommand(t.e, L"set(style)"), 0);  // no parser installed
}

HBITMAP g_decoded = nullptr;
std::wstring g_decodedPath;
HBITMAP FakeDecode(const wchar_t* path) {
    g_decodedPath = path;
    return g_decoded;
}

TEST(RunReadFileCommand, PicturesArePasted) {
    const CommandHooks hooks = {nullptr, nullptr, FakeDecode};
    const std::vector<KeyEvent> paste = {
        {VK_CONTROL, false}, {'V', false}, {'V', true}, {VK_CONTROL, true}};
    for (const wchar_t* name : {L"a.png", L"B.BMP"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        CommandEngine t;
        SetCommandHooks(&hooks);
        g_decoded = CreateBitmap(2, 2, 1, 32, nullptr);
        ASSERT_NE(g_decoded, nullptr);
        EXPECT_EQ(RunReadFileCommand(t.e, (std::wstring(L"C:\\pics,") + name).c_str()), 1);
        EXPECT_EQ(g_decodedPath, std::wstring(L"C:\\pics\\") + name);
        ASSERT_EQ(Rec().bitmaps.size(), 1u);
        EXPECT_EQ(Rec().bitmaps[0], g_decoded);
        EXPECT_EQ(Rec().keys, paste);
        DeleteObject(g_decoded);
        SetCommandHooks(nullptr);
    }
    {
        SCOPED_TRACE("undecodable picture");
        CommandEngine t;
        SetCommandHooks(&hooks);
        g_decoded = nullptr;
        EXPECT_EQ(RunReadFileCommand(t.e, L"C:\\pics\\,a.png"), 0);
        EXPECT_EQ(g_decodedPath, L"C:\\pics\\a.png");
        EXPECT_TRUE(Rec().keys.empty());
        SetCommandHooks(nullptr);
    }
    {
        SCOPED_TRACE("no decoder, other kinds, no file name");
        CommandEngine t;
        EXPECT_EQ(RunReadFileCommand(t.e, L"C:\\pics,a.png"), 0);
        EXPECT_EQ(RunReadFileCommand(t.e, L"C:\\pics,a.exe"), 0);
        EXPECT_EQ(RunReadFileCommand(t.e, L"C:\\pics"), 0);
        EXPECT_TRUE(Rec().keys.empty());
    }
}

// Install folder holding the test word reader: the test program's folder + "word_reader\".
std::wstring WordReaderInstall() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder.resize(folder.rfind(L'\\') + 1);
    return folder + L"word_reader\\";
}

TEST(CallExternalWordReader, CallsTheLibraryOfThisBitness) {
    CommandEngine t;
    std::wcscpy(t.e->installLocation, WordReaderInstall().c_str());
    wchar_t out[64];
    EXPECT_EQ(CallExternalWordReader(t.e, L"C:\\d\\a.txt", out, 64), 15);
    EXPECT_EQ(std::wstring(out), L"read:C:\\d\\a.txt");
    // The library is freed after the call.
    const std::wstring library = WordReaderInstall() + WORD_READER_FOLDER L"\\lexivo.dll";
    EXPECT_EQ(GetModuleHandleW(library.c_str()), nullptr);
    // A short output area stays terminated.
    EXPECT_EQ(CallExternalWordReader(t.e, L"C:\\d\\a.txt", out, 6), 5);
    EXPECT_EQ(std::wstring(out), L"read:");
}

TEST(CallExternalWordReader, MissingLibraryDoesNothing) {
    CommandEngine t;
    std::wcscpy(t.e->installLocation, L"C:\\no such folder\\");
    wchar_t out[64] = L"x";
    EXPECT_EQ(CallExternalWordReader(t.e, L"C:\\d\\a.txt", out, 64), 0);
    EXPECT_EQ(out[0], 0);
}

TEST(RunReadFileCommand, DocumentsGoThroughTheWordReader) {
    const std::vector<KeyEvent> paste = {
        {VK_CONTROL, false}, {'V', false}, {'V', true}, {VK_CONTROL, true}};
    CommandEngine t;
    std::wcscpy(t.e->installLocation, WordReaderInstall().c_str());
    Pick(t.e, kActionReadFile, L"C:\\docs,a.docx");
    EXPECT_EQ(RunPickedCommand(t.e), kRunBitReadFile);
    EXPECT_EQ(Rec().clipboard, L"read:C:\\docs\\a.docx");
    EXPECT_EQ(Rec().keys, paste);

    CommandEngine missing;
    std::wcscpy(missing.e->installLocation, L"C:\\no such folder\\");
    EXPECT_EQ(RunReadFileCommand(missing.e, L"C:\\docs,a.txt"), 0);
    EXPECT_TRUE(Rec().keys.empty());
}

TEST(RunPickedCommand, SoftKeyboardGoesToItsHook) {
    static std::wstring got;
    const CommandHooks hooks = {nullptr,
                                [](Engine*, const wchar_t* a) {
                                    got = a;
                                    return 1;
                                },
                                nullptr};
    CommandEngine t;
    SetCommandHooks(&hooks);
    Pick(t.e, kActionSoftKeyboard, L"3");
    EXPECT_EQ(RunPickedCommand(t.e), kRunBitSoftKeyboard);
    EXPECT_EQ(got, L"3");
    SetCommandHooks(nullptr);
}

}  // namespace
