// Settings sections and the text of the "set(" command.
#include "engine/commands/set_command.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SettingsSections, HeadersAndTheirIds) {
    struct Case {
        const wchar_t* header;
        int id;
    };
    const Case cases[] = {
        {L"[-生成器选项-]", 1},
        {L"[-按键功能-]", 3},
        {L"[-IME设置-]", 4},
        {L"[-DME设置-]", 5},
        {L"[-SKIN设置-]", 6},
        {L"[-构词规则定义-]", 7},
        {L"[-非编码符号转义定义表-]", 8},
        {L"[-键位字根表-]", 9},
        {L"[-其他安装文件-]", 10},
        {L"[-软件选项-]", 11},
        {L"[-IME设置-] ", 0},
        {L"IME设置", 0},
        {L"[-ime设置-]", 0},
        {L"", 0},
        {nullptr, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(GetSettingsSectionId(c.header), c.id);
    EXPECT_EQ(GetSettingsSectionId(L"[-IME设置-]xyz", 9), 4);
}

std::wstring Str(const TextPart& p) { return p.text ? std::wstring(p.text, p.length) : L"<null>"; }

TEST(SetCommand, Parses) {
    struct Case {
        const char* name;
        const wchar_t* text;
        int id;
        const wchar_t* key;
        const wchar_t* value;
    };
    const Case cases[] = {
        {"plain", L"set([-IME设置-],候选列表显示个数=5)", 4, L"候选列表显示个数", L"5"},
        {"quoted parts hold separators", L"set(\"[-按键功能-]\",\"a=b,c\"=\"x)y\")", 3, L"a=b,c",
         L"x)y"},
        {"value with '='", L"set([-DME设置-],k=a=b)", 5, L"k", L"a=b"},
        {"text after the closing bracket", L"set([-SKIN设置-],k=v) tail", 6, L"k", L"v"},
        {"unknown section", L"set([-无此段-],k=v)", 0, nullptr, nullptr},
        {"not a header", L"set(候选列表显示个数,k=v)", 0, nullptr, nullptr},
        {"empty section", L"set(,k=v)", 0, nullptr, nullptr},
        {"empty key", L"set([-IME设置-],=v)", 0, nullptr, nullptr},
        {"empty value", L"set([-IME设置-],k=)", 0, nullptr, nullptr},
        {"empty quoted value", L"set([-IME设置-],k=\"\")", 0, nullptr, nullptr},
        {"no comma", L"set([-IME设置-]k=v)", 0, nullptr, nullptr},
        {"no equals sign", L"set([-IME设置-],kv)", 0, nullptr, nullptr},
        {"no closing bracket", L"set([-IME设置-],k=v", 0, nullptr, nullptr},
        {"unclosed quote", L"set([-IME设置-],k=\"v)", 0, nullptr, nullptr},
        {"text after a closing quote", L"set(\"[-IME设置-]\"x,k=v)", 0, nullptr, nullptr},
        {"other command", L"run([-IME设置-],k=v)", 0, nullptr, nullptr},
        {"prefix only", L"set(", 0, nullptr, nullptr},
        {"empty", L"", 0, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextPart s{L"x", 1}, k{L"x", 1}, v{L"x", 1};
        EXPECT_EQ(ParseSetCommand(c.text, &s, &k, &v), c.id);
        if (c.id) {
            EXPECT_EQ(GetSettingsSectionId(s.text, s.length), c.id);
            EXPECT_EQ(Str(k), c.key);
            EXPECT_EQ(Str(v), c.value);
        } else {
            EXPECT_EQ(s.length + k.length + v.length, 0u);
        }
    }
    EXPECT_EQ(ParseSetCommand(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(ParseSetCommand(L"set([-IME设置-],k=v)", nullptr, nullptr, nullptr), 4);
}

}  // namespace
