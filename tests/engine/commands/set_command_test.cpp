// Settings sections and the text of the "set(" command.
#include "engine/commands/set_command.h"

#include <gtest/gtest.h>

#include <string>

#include "core/settings/settings_text.h"

namespace {

TEST(SettingsSections, HeadersAndTheirIds) {
    struct Case {
        const wchar_t* header;
        int id;
    };
    const Case cases[] = {
        {L"[-生成器选项-]", kSectionBuilder},
        {L"[-按键功能-]", kSectionKeyFunctions},
        {L"[-IME设置-]", kSectionIme},
        {L"[-DME设置-]", kSectionDme},
        {L"[-SKIN设置-]", kSectionSkin},
        {L"[-构词规则定义-]", kSectionWordRules},
        {L"[-非编码符号转义定义表-]", kSectionSymbols},
        {L"[-键位字根表-]", kSectionKeyRoots},
        {L"[-其他安装文件-]", kSectionOtherFiles},
        {L"[-软件选项-]", kSectionSoftware},
        {L"[-IME设置-] ", kSectionUnknown},
        {L"IME设置", kSectionUnknown},
        {L"[-ime设置-]", kSectionUnknown},
        {L"", kSectionUnknown},
        {nullptr, kSectionUnknown},
    };
    for (const Case& c : cases) EXPECT_EQ(GetSettingsSectionId(c.header), c.id);
    EXPECT_EQ(GetSettingsSectionId(L"[-IME设置-]xyz", 9), kSectionIme);
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
        {"plain", L"set([-IME设置-],候选列表显示个数=5)", kSectionIme, L"候选列表显示个数", L"5"},
        {"quoted parts hold separators", L"set(\"[-按键功能-]\",\"a=b,c\"=\"x)y\")",
         kSectionKeyFunctions, L"a=b,c", L"x)y"},
        {"value with '='", L"set([-DME设置-],k=a=b)", kSectionDme, L"k", L"a=b"},
        {"text after the closing bracket", L"set([-SKIN设置-],k=v) tail", kSectionSkin, L"k", L"v"},
        {"unknown section", L"set([-无此段-],k=v)", kSectionUnknown, nullptr, nullptr},
        {"not a header", L"set(候选列表显示个数,k=v)", kSectionUnknown, nullptr, nullptr},
        {"empty section", L"set(,k=v)", kSectionUnknown, nullptr, nullptr},
        {"empty key", L"set([-IME设置-],=v)", kSectionUnknown, nullptr, nullptr},
        {"empty value", L"set([-IME设置-],k=)", kSectionUnknown, nullptr, nullptr},
        {"empty quoted value", L"set([-IME设置-],k=\"\")", kSectionUnknown, nullptr, nullptr},
        {"no comma", L"set([-IME设置-]k=v)", kSectionUnknown, nullptr, nullptr},
        {"no equals sign", L"set([-IME设置-],kv)", kSectionUnknown, nullptr, nullptr},
        {"no closing bracket", L"set([-IME设置-],k=v", kSectionUnknown, nullptr, nullptr},
        {"unclosed quote", L"set([-IME设置-],k=\"v)", kSectionUnknown, nullptr, nullptr},
        {"text after a closing quote", L"set(\"[-IME设置-]\"x,k=v)", kSectionUnknown, nullptr,
         nullptr},
        {"other command", L"run([-IME设置-],k=v)", kSectionUnknown, nullptr, nullptr},
        {"prefix only", L"set(", kSectionUnknown, nullptr, nullptr},
        {"empty", L"", kSectionUnknown, nullptr, nullptr},
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
    EXPECT_EQ(ParseSetCommand(nullptr, nullptr, nullptr, nullptr), kSectionUnknown);
    EXPECT_EQ(ParseSetCommand(L"set([-IME设置-],k=v)", nullptr, nullptr, nullptr), kSectionIme);
}

}  // namespace
