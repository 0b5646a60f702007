#include "core/base/text_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/test_files.h"

using namespace testing_support;

namespace {

TEST(DecodeTextByBom, ChoosesEncoding) {
    struct Case {
        const char* what;
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"utf-8 bom",
         "\xEF\xBB\xBF\xe4\xbd\xa0"
         "a",
         L"你a"},
        {"utf-16le", std::string("\xFF\xFE\x60\x4F\x61\x00", 6), L"你a"},
        {"utf-16be", std::string("\xFE\xFF\x4F\x60\x00\x61", 6), L"你a"},
        {"utf-16le odd tail", std::string("\xFF\xFE\x61\x00\x62", 5), L"a"},
        {"plain utf-8", "\xe5\xa5\xbd\r\n", L"好\r\n"},
        {"ascii", "abc", L"abc"},
        {"gbk falls to ansi", "\xc4\xe3\xba\xc3", L"你好"},  // code page 936 under the tests
        {"empty", "", L""},
        {"bom only", "\xEF\xBB\xBF", L""},
    };
    for (const auto& c : cases) {
        size_t len = 99;
        wchar_t* t = DecodeTextByBom(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                     c.bytes.size(), &len);
        ASSERT_NE(t, nullptr) << c.what;
        EXPECT_EQ(std::wstring(t), c.text) << c.what;
        EXPECT_EQ(len, c.text.size()) << c.what;
        std::free(t);
    }
}

TEST(ReadTextFile, ResultCodes) {
    TempDir dir;
    wchar_t* text = nullptr;
    EXPECT_EQ(ReadTextFile(L"", &text), -1);
    EXPECT_EQ(ReadTextFile((dir / L"x").c_str(), nullptr), -1);
    EXPECT_EQ(ReadTextFile((dir / L"missing.txt").c_str(), &text), 1);
    EXPECT_EQ(text, nullptr);
    WriteFileBytes(dir / L"a.txt", std::string("\xEF\xBB\xBF\xe4\xb8\xad\xe6\x96\x87"));
    size_t len = 0;
    ASSERT_EQ(ReadTextFile((dir / L"a.txt").c_str(), &text, &len), 0);
    EXPECT_EQ(std::wstring(text), L"中文");
    EXPECT_EQ(len, 2u);
    std::free(text);
    WriteFileBytes(dir / L"e.txt", std::string());
    ASSERT_EQ(ReadTextFile((dir / L"e.txt").c_str(), &text), 0);
    EXPECT_EQ(text[0], 0);
    std::free(text);
}

}  // namespace
