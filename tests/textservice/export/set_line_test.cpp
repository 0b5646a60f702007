// The set( command in the product: the library's hook applies a line with the same parsers
// as the settings-text import.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/record/engine.h"
#include "core/settings/settings_import.h"
#include "engine/commands/command_hooks.h"
#include "engine/commands/command_run.h"
#include "support/settings_blocks.h"
#include "textservice/command_hook_table.h"
#include "textservice/export/section_codec.h"

using testing_support::SettingsBlocks;

namespace {

struct EngineOver {
    Engine* e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    explicit EngineOver(SettingsBlocks& b) {
        e->ime = b.ime.get();
        e->dme = b.dme.get();
        e->skin = b.skin.get();
    }
    ~EngineOver() { std::free(e); }
};

// Block contents after the header, which only the import rewrites.
template <class Block>
bool SameFields(const Block* a, const Block* b) {
    constexpr size_t skip = sizeof(ConfigBlockHeader);
    return std::memcmp(reinterpret_cast<const char*>(a) + skip,
                       reinterpret_cast<const char*>(b) + skip, sizeof(Block) - skip) == 0;
}

class SetLineTest : public ::testing::Test {
protected:
    void SetUp() override { InstallInputMethodCommandHooks(); }
    void TearDown() override { SetCommandHooks(nullptr); }
};

TEST_F(SetLineTest, ChangesTheBlocksAsTheSettingsTextImportDoes) {
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
    } cases[] = {
        {L"[-IME设置-]", L"候选列表显示个数", L"7"},
        {L"[-IME设置-]", L"隐藏状态条窗口", L"是"},
        {L"[-DME设置-]", L"候选唯一自动上屏码长", L"3"},
        {L"[-DME设置-]", L"空码自动清除码长", L"300"},
        {L"[-DME设置-]", L"上屏引导键", L"＋／"},
        {L"[-DME设置-]", L"查询输入字符", L"＊"},
        {L"[-按键功能-]", L" ", L"首选上屏,"},
        {L"[-按键功能-]", L" +键Ctrl", L"前翻页,"},
        {L"[-构词规则定义-]", L"P3", L"L1B1+L2B1+L3B1+L3F1"},
        {L"[-非编码符号转义定义表-]", L",", L"，"},
        {L"[-非编码符号转义定义表-]", L"'", L"‘,’"},
        {L"[-键位字根表-]", L"a", L"工"},
        {L"[-SKIN设置-]", L"候选列表排列样式", L"横排"},
        {L"[-SKIN设置-]", L"自动竖排的编码前缀", L"zx,zy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        SettingsBlocks set, imported;
        EngineOver engine(set);
        const std::wstring line =
            std::wstring(L"set(") + c.section + L",\"" + c.key + L"\"=" + c.value + L")";
        EXPECT_EQ(RunSetCommand(engine.e, line.c_str()), 1);

        const std::wstring text = std::wstring(c.section) + L"\r\n" + c.key + L"=" + c.value;
        ASSERT_EQ(ImportSettingsText(text.c_str(), imported.ime.get(), imported.dme.get(),
                                     imported.skin.get(), &InputMethodOptionCodec()),
                  1);
        EXPECT_TRUE(SameFields(set.ime.get(), imported.ime.get()));
        EXPECT_TRUE(SameFields(set.dme.get(), imported.dme.get()));
        EXPECT_TRUE(SameFields(set.skin.get(), imported.skin.get()));
        EXPECT_FALSE(SameFields(set.ime.get(), SettingsBlocks().ime.get()) &&
                     SameFields(set.dme.get(), SettingsBlocks().dme.get()) &&
                     SameFields(set.skin.get(), SettingsBlocks().skin.get()))
            << "the line changed nothing";
    }
}

TEST_F(SetLineTest, RefusedKeysAndLinesChangeNothing) {
    const wchar_t* lines[] = {
        L"set([-IME设置-],输入法框架=TSF)",
        L"set([-IME设置-],使用调试模式=是)",
        L"set([-DME设置-],使用调试模式=是)",
        L"set([-生成器选项-],码表名称=x)",
        L"set([-其他安装文件-],a=b)",
        L"set([-软件选项-],a=b)",
        L"set(IME设置,候选列表显示个数=5)",
        L"set([-IME设置-],候选列表显示个数=5",
        L"set([-IME设置-],=5)",
    };
    for (const wchar_t* const& line : lines) {
        SCOPED_TRACE(testing::Message() << "line " << &line - lines);
        SettingsBlocks b, untouched;
        EngineOver engine(b);
        EXPECT_EQ(RunSetCommand(engine.e, line), 0);
        EXPECT_EQ(std::memcmp(b.ime.get(), untouched.ime.get(), sizeof(ImeConfigData)), 0);
        EXPECT_EQ(std::memcmp(b.dme.get(), untouched.dme.get(), sizeof(DmeConfigData)), 0);
    }
}

}  // namespace
