#include "core/base/registry.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "core/base/handles.h"

namespace {

constexpr wchar_t kTestKey[] = L"Software\\ZanTest";
constexpr wchar_t kValuesKey[] = L"Software\\ZanTest\\Values";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey)); }
    void TearDown() override { EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey)); }

    // Stores raw bytes of any type, terminated or not.
    static void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        zan::UniqueKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kValuesKey, 0, nullptr, 0,
                                  KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
    }
};

TEST_F(RegistryTest, WritesAndReadsStrings) {
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kValuesKey, L"Name", L"中文输入"));
    wchar_t out[16];
    ASSERT_TRUE(ReadRegistryStringFrom(HKEY_CURRENT_USER, kValuesKey, L"Name", out, 16));
    EXPECT_STREQ(out, L"中文输入");
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kValuesKey, L"Name", L""));
    ASSERT_TRUE(ReadRegistryStringFrom(HKEY_CURRENT_USER, kValuesKey, L"Name", out, 16));
    EXPECT_STREQ(out, L"");
}

TEST_F(RegistryTest, FailuresLeaveTheBufferEmpty) {
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kValuesKey, L"Ten", L"0123456789"));
    DWORD number = 7;
    SetRaw(L"Number", REG_DWORD, &number, sizeof number);
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        DWORD chars;
        bool ok;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {kValuesKey, L"Ten", 11, true, L"0123456789"},
        {kValuesKey, L"Ten", 10, false, L""},  // no room for the terminator
        {kValuesKey, L"Ten", 1, false, L""},
        {kValuesKey, L"Missing", 16, false, L""},
        {L"Software\\ZanTest\\NoSuchKey", L"Ten", 16, false, L""},
        {kValuesKey, L"Number", 16, false, L""},  // not a string
    };
    for (const auto& c : cases) {
        wchar_t out[16];
        wmemset(out, L'x', 16);
        EXPECT_EQ(ReadRegistryStringFrom(HKEY_CURRENT_USER, c.key, c.value, out, c.chars), c.ok)
            << c.value << " in " << c.chars;
        EXPECT_STREQ(out, c.expected) << c.value << " in " << c.chars;
        for (DWORD i = c.chars; i < 16; ++i) EXPECT_EQ(out[i], L'x') << "wrote past the buffer";
    }
    wchar_t untouched = L'x';
    EXPECT_FALSE(ReadRegistryStringFrom(HKEY_CURRENT_USER, kValuesKey, L"Ten", &untouched, 0));
    EXPECT_EQ(untouched, L'x');
}

TEST_F(RegistryTest, UnterminatedDataIsTerminated) {
    const wchar_t data[] = {L'a', L'b', L'c'};
    SetRaw(L"Raw", REG_SZ, data, sizeof data);
    wchar_t out[8];
    wmemset(out, L'x', 8);
    ASSERT_TRUE(ReadRegistryStringFrom(HKEY_CURRENT_USER, kValuesKey, L"Raw", out, 8));
    EXPECT_STREQ(out, L"abc");
    wmemset(out, L'x', 8);
    EXPECT_FALSE(ReadRegistryStringFrom(HKEY_CURRENT_USER, kValuesKey, L"Raw", out, 3));
    EXPECT_STREQ(out, L"");
}

TEST_F(RegistryTest, InstallLocationEndsInBackslash) {
    const std::wstring fits(kPathChars - 2, L'd');     // room for "\" and NUL
    const std::wstring tooLong(kPathChars - 1, L'd');  // fits, but not with "\"
    const std::wstring fullWithSlash = std::wstring(kPathChars - 2, L'd') + L"\\";
    struct Case {
        std::wstring stored;
        bool ok;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\X", true, L"C:\\Program Files\\X\\"},
        {L"C:\\X\\", true, L"C:\\X\\"},
        {L"", true, L""},
        {fits, true, fits + L"\\"},
        {fullWithSlash, true, fullWithSlash},
        {tooLong, false, L""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kValuesKey, L"InstallLocation",
                                        c.stored.c_str()));
        wchar_t out[kPathChars];
        EXPECT_EQ(ReadInstallLocationFrom(HKEY_CURRENT_USER, kValuesKey, out), c.ok)
            << c.stored.size();
        EXPECT_EQ(std::wstring(out), c.expected) << c.stored.size();
    }
}

TEST_F(RegistryTest, MissingProductKeyFails) {
    const std::wstring longGuid(200, L'A');
    for (const wchar_t* guid : {L"{00000000-5A4E-0000-0000-000000000000}", longGuid.c_str()}) {
        wchar_t location[kPathChars] = L"junk";
        EXPECT_FALSE(ReadInstallLocation(guid, location));
        EXPECT_STREQ(location, L"");
        wchar_t data[kPathChars] = L"junk";
        EXPECT_FALSE(ReadDataLocation(guid, data));
        EXPECT_STREQ(data, L"");
        wchar_t name[kImeNameChars] = L"junk";
        EXPECT_FALSE(ReadImeName(guid, name));
        EXPECT_STREQ(name, L"");
        wchar_t display[64] = L"junk";
        EXPECT_FALSE(ReadDisplayName(guid, display, 64));
        EXPECT_STREQ(display, L"");
    }
    wchar_t name[kImeNameChars] = L"junk";
    EXPECT_FALSE(ReadImeName(nullptr, name));
    EXPECT_STREQ(name, L"");
}

TEST_F(RegistryTest, DeleteTreeRemovesSubkeys) {
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, L"Software\\ZanTest\\A\\B", L"v", L"1"));
    ASSERT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey));
    zan::UniqueKey key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, key.put()),
              ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey));  // already gone
}

}  // namespace
