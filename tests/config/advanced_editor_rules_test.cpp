// The advanced settings editor's decisions: line colours, backup names, find-next with one
// wrap, the text limit, its keys, the framework switch, and a settings text saved back into
// the blocks it was exported from.
#include "config/advanced_editor_rules.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/base/text_file.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "core/settings/settings_export.h"
#include "program_fixture.h"
#include "support/test_files.h"
#include "support/tsf_host/shipped_install.h"
#include "textservice/export/exported_object.h"

namespace {

using namespace testing_support;

TEST(AdvancedEditorRules, ColoursCommentsSectionsKeysAndValues) {
    struct Case {
        const wchar_t* line;
        LineColours colours;
    };
    const Case cases[] = {
        {L"// note=1", {1, {{0, 9, kCommentColour}, {}}}},
        {L"[-IME设置-]", {1, {{0, 9, kPlainColour}, {}}}},
        {L"key=value", {2, {{0, 4, kPlainColour}, {4, 5, kValueColour}}}},
        {L"=abc", {2, {{0, 2, kPlainColour}, {2, 2, kValueColour}}}},  // at least two
        {L"=a", {1, {{0, 2, kPlainColour}, {}}}},
        {L"key=", {1, {{0, 4, kPlainColour}, {}}}},
        {L"a=b=c", {2, {{0, 2, kPlainColour}, {2, 3, kValueColour}}}},
        {L"plain text", {1, {{0, 10, kPlainColour}, {}}}},
        {L"", {1, {{0, 0, kPlainColour}, {}}}},
        {L"/ not a comment=x", {2, {{0, 16, kPlainColour}, {16, 1, kValueColour}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.line));
        const LineColours got = ColourLine(c.line);
        ASSERT_EQ(got.count, c.colours.count);
        for (int i = 0; i < got.count; ++i) {
            EXPECT_EQ(got.spans[i].start, c.colours.spans[i].start);
            EXPECT_EQ(got.spans[i].length, c.colours.spans[i].length);
            EXPECT_EQ(got.spans[i].colour, c.colours.spans[i].colour);
        }
    }
    // Only the first 512 units of a line count.
    const std::wstring longLine = std::wstring(600, L'a') + L"=b";
    EXPECT_EQ(ColourLine(longLine).count, 1);
    EXPECT_EQ(ColourLine(longLine).spans[0].length, kColourLineUnits);
}

TEST(AdvancedEditorRules, BackupNamesEndInKxconfigTxt) {
    const struct {
        const wchar_t* chosen;
        const wchar_t* path;
    } cases[] = {
        {L"C:\\Docs\\Backup.TXT", L"c:\\docs\\backup.kxconfig.txt"},
        {L"a.kxconfig.txt", L"a.kxconfig.kxconfig.txt"},
        {L"notes", L"notes.kxconfig.txt"},
        {L"设置.Txt", L"设置.kxconfig.txt"},
        {L"x.txt.bak", L"x.txt.bak.kxconfig.txt"},
        {L".txt", L".kxconfig.txt"},
    };
    for (const auto& c : cases) {
        wchar_t out[kPathChars];
        EXPECT_TRUE(BackupFileName(c.chosen, out));
        EXPECT_STREQ(out, c.path);
    }
    wchar_t out[kPathChars];
    const std::wstring tooLong(kPathChars - 5, L'a');
    EXPECT_FALSE(BackupFileName(tooLong.c_str(), out));
    EXPECT_STREQ(out, L"");

    const struct {
        const wchar_t* documents;
        const wchar_t* product;
        const wchar_t* folder;
    } folders[] = {
        {L"C:\\users\\me\\Documents", L"赞键盘", L"C:\\users\\me\\Documents\\[ 赞键盘 ]"},
        {L"C:\\", L"x", L"C:\\[ x ]"},
        {L"", L"x", L""},
    };
    for (const auto& f : folders) {
        wchar_t folder[kPathChars];
        EXPECT_EQ(BackupFolder(f.documents, f.product, folder), f.folder[0] != 0);
        EXPECT_STREQ(folder, f.folder);
    }
}

TEST(AdvancedEditorRules, FindNextStartsAtTheMatchEndAndWrapsOnce) {
    const std::wstring text = L"abab xab";
    int calls = 0;
    auto find = [&](const std::wstring& needle) {
        return [&, needle](int from) {
            ++calls;
            const size_t at = text.find(needle, static_cast<size_t>(from));
            return at == std::wstring::npos ? -1 : static_cast<int>(at);
        };
    };
    struct Case {
        const wchar_t* needle;
        int start;
        int match;
        int next;
        int calls;
    };
    const Case cases[] = {
        {L"ab", 0, 0, 2, 1},  {L"ab", 2, 2, 4, 1},   // the adjacent match is not skipped
        {L"ab", 4, 6, 8, 1},  {L"ab", 8, 0, 2, 2},   // wraps to the start once
        {L"zz", 3, -1, 0, 2}, {L"zz", 0, -1, 0, 1},  // from the start: no second search
        {L"b x", 0, 3, 6, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        calls = 0;
        const std::wstring needle = c.needle;
        const FindStep step =
            FindNextWithWrap(c.start, static_cast<int>(needle.size()), find(needle));
        EXPECT_EQ(step.match, c.match);
        EXPECT_EQ(step.nextStart, c.next);
        EXPECT_EQ(calls, c.calls);
    }
}

TEST(AdvancedEditorRules, TextLimitHoldsTheWholeText) {
    const size_t lengths[] = {0, 100, 64000, 64001, 200000, 5000000};
    for (size_t n : lengths) {
        const int limit = EditorTextLimit(n);
        EXPECT_GE(limit, 64000);
        EXPECT_GT(static_cast<size_t>(limit), n);
    }
}

TEST(AdvancedEditorRules, KeysActOnlyWithTheirOwnModifiers) {
    const struct {
        WPARAM vk;
        bool ctrl, alt, shift;
        EditorKey key;
    } cases[] = {
        {'F', true, false, false, EditorKey::FocusFind},
        {'K', true, false, false, EditorKey::FindNext},
        {VK_F3, false, false, false, EditorKey::FindNext},
        {'F', false, false, false, EditorKey::None},
        {'K', false, false, false, EditorKey::None},
        {VK_F3, true, false, false, EditorKey::None},
        {'F', true, true, false, EditorKey::None},
        {'F', true, false, true, EditorKey::None},
        {VK_F3, false, false, true, EditorKey::None},
        {'C', true, false, false, EditorKey::None},
    };
    for (const auto& c : cases) EXPECT_EQ(EditorKeyOf(c.vk, c.ctrl, c.alt, c.shift), c.key) << c.vk;
}

TEST(AdvancedEditorRules, FrameworkSwitchFollowsTheStyleBits) {
    const wchar_t* guid = L"{12345678-1234-1234-1234-123456789ABC}";
    const struct {
        uint32_t before, after;
        const wchar_t* parameters;  // null: nothing started
    } cases[] = {
        {kImeStyleTsfEmbedCode, 0, L"/EMMODE=0 /GUID={12345678-1234-1234-1234-123456789ABC}"},
        {0, kImeStyleTsfClassic, L"/EMMODE=1 /GUID={12345678-1234-1234-1234-123456789ABC}"},
        {kImeStyleTsfEmbedCode, kImeStyleTsfEmbedFirst,
         L"/EMMODE=1 /GUID={12345678-1234-1234-1234-123456789ABC}"},
        {kImeStyleTsfClassic, kImeStyleTsfClassic, nullptr},
        {0, 0, nullptr},
        {kImeStyleTsfEmbedCode | 0x1, kImeStyleTsfEmbedCode | 0x8000, nullptr},  // other bits
    };
    for (const auto& c : cases) {
        wchar_t out[128];
        EXPECT_EQ(EmModeParameters(c.before, c.after, guid, out), c.parameters != nullptr);
        EXPECT_STREQ(out, c.parameters ? c.parameters : L"");
    }
}

// The codec of the built input method module, as the editor takes it.
struct ModuleCodec {
    HMODULE module = LoadLibraryW(Beside(L"zanTSF.dll").c_str());
    OptionSectionCodec* codec = nullptr;
    ModuleCodec() {
        auto get = reinterpret_cast<GetObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "KXITFGetObject")));
        void* object = nullptr;
        if (get && get(kObjectOptionCodec, &object) == 1)
            codec = static_cast<OptionSectionCodec*>(object);
    }
    ~ModuleCodec() {
        if (codec && codec->release) codec->release(codec);
        if (module) FreeLibrary(module);
    }
};

std::vector<uint8_t> BlockBytes(const void* block, size_t size) {
    const auto* p = static_cast<const uint8_t*>(block);
    return std::vector<uint8_t>(p, p + size);
}

TEST(AdvancedEditorSave, TheExportedTextSavedBackLeavesEveryBlockAsItWas) {
    Installation inst;
    InstalledIme& ime = inst.ime;
    const std::vector<uint8_t> dsc = ReadFileBytes(tsf_host::ShippedDataFile(L"config.dsc"));
    if (dsc.size() != kConfigFileSize) GTEST_SKIP() << "no shipped config.dsc";
    ime.EditConfig([&](uint8_t* v) {
        // The shipped settings under this installation's identity.
        GUID g = ime.guid;
        std::memcpy(v, dsc.data(), dsc.size());
        std::memcpy(v + kSoftBlockOffset + offsetof(SoftConfigData, guid), &g, 16);
    });
    Engine* e = Engine::CreateForConfig(ime.guidText);
    ASSERT_NE(e, nullptr);
    ModuleCodec codec;
    ASSERT_NE(codec.codec, nullptr);
    const auto ime0 = BlockBytes(e->ime, sizeof *e->ime);
    const auto dme0 = BlockBytes(e->dme, sizeof *e->dme);
    const auto skin0 = BlockBytes(e->skin, sizeof *e->skin);

    TempDir dir;
    const std::wstring path = dir / L"all.txt";
    ASSERT_TRUE(ExportSettingsText(e->ime, e->dme, e->skin, codec.codec, path.c_str()));
    wchar_t* text = nullptr;
    ASSERT_EQ(ReadTextFile(path.c_str(), &text), 0);
    wchar_t emMode[128];
    const SaveOutcome outcome = SaveSettingsIntoBlocks(e, text, codec.codec, emMode);
    std::free(text);
    EXPECT_TRUE(outcome.imported);
    EXPECT_FALSE(outcome.switchFramework);
    EXPECT_EQ(BlockBytes(e->ime, sizeof *e->ime), ime0);
    EXPECT_EQ(BlockBytes(e->dme, sizeof *e->dme), dme0);
    EXPECT_EQ(BlockBytes(e->skin, sizeof *e->skin), skin0);
    Engine::DestroyForConfig(e);
}

}  // namespace
