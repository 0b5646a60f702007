// The library's exported object, bound the way the configuration program and the installer
// bind it: LoadLibraryW and GetProcAddress("KXITFGetObject").
#include "textservice/export/exported_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/settings/config_blocks.h"
#include "support/test_files.h"

namespace {

void* const kJunk = reinterpret_cast<void*>(static_cast<uintptr_t>(0x5A5A5A5A));

std::wstring LibraryPath() {
    std::wstring self = testing_support::SelfPath();
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"zanTSF.dll";
}

class ExportedObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(LibraryPath().c_str());
        ASSERT_NE(module_, nullptr) << "cannot load zanTSF.dll, error " << GetLastError();
        get_ = reinterpret_cast<GetObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "KXITFGetObject")));
        ASSERT_NE(get_, nullptr);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    OptionSectionCodec* Codec() {
        void* out = kJunk;
        EXPECT_EQ(get_(kObjectOptionCodec, &out), 1);
        return static_cast<OptionSectionCodec*>(out);
    }

    HMODULE module_ = nullptr;
    GetObjectFunction get_ = nullptr;
};

TEST_F(ExportedObjectTest, KindsGiveTheirObjectsOrNothing) {
    struct Case {
        const char* name;
        uint64_t kind;
        int result;
        int slots;  // 0: *out is NULL
    } cases[] = {
        {"settings pages", 1, 1, 3},
        {"option codec", 2, 1, 3},
        {"code conversion is not offered", 3, 0, 0},
        {"release only", 4, 1, 2},
        {"zero", 0, 0, 0},
        {"next kind", 5, 0, 0},
        {"above 2^32 with a known low word", (uint64_t{1} << 32) | 2, 0, 0},
        {"above 2^32 with kind 1 low", (uint64_t{1} << 32) | 1, 0, 0},
        {"all bits", ~uint64_t{0}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        void* out = kJunk;
        EXPECT_EQ(get_(c.kind, &out), c.result);
        if (!c.slots) {
            EXPECT_EQ(out, nullptr);
            continue;
        }
        ASSERT_NE(out, nullptr);
        ASSERT_NE(out, kJunk);
        void** slots = static_cast<void**>(out);
        for (int i = 0; i < c.slots; ++i) {
            if (c.kind == 4 && i == 1)
                EXPECT_EQ(slots[i], nullptr);
            else
                EXPECT_NE(slots[i], nullptr) << "slot " << i;
        }
        // Freed through its own first slot.
        reinterpret_cast<void (*)(void*)>(slots[0])(out);
    }
    EXPECT_EQ(get_(1, nullptr), 0);
}

TEST_F(ExportedObjectTest, CodecWritesAndReadsTheInputOptionsThroughItsSlots) {
    OptionSectionCodec* codec = Codec();
    ASSERT_NE(codec, nullptr);
    auto dme = std::make_unique<DmeConfigData>();
    dme->autoCommitLength = 4;
    dme->wildcardChar = 0x0A;
    dme->inputOptions = 0x20;
    dme->keyClass[0x0B] = 0x1;

    std::wstring buffer(4096, L'\0');
    EXPECT_EQ(codec->write(dme.get(), buffer.data(), 4096, 1), 1);
    const std::wstring body = buffer.c_str();
    EXPECT_NE(body.find(L"候选唯一自动上屏码长=4\r\n"), std::wstring::npos);
    EXPECT_NE(body.find(L"查询输入字符=＊\r\n"), std::wstring::npos);
    EXPECT_NE(body.find(L"开启查询键重复输入=是\r\n"), std::wstring::npos);
    EXPECT_NE(body.find(L"上屏引导键=＋\r\n"), std::wstring::npos);

    auto back = std::make_unique<DmeConfigData>();
    const wchar_t* pairs[][2] = {{L"候选唯一自动上屏码长", L"4"},
                                 {L"查询输入字符", L"＊"},
                                 {L"开启查询键重复输入", L"是"},
                                 {L"上屏引导键", L"＋"}};
    for (auto& p : pairs) EXPECT_EQ(codec->read(back.get(), p[0], p[1], 1), 1);
    EXPECT_EQ(std::memcmp(dme.get(), back.get(), sizeof(DmeConfigData)), 0);

    // Kind 2 is the interface options.
    SkinConfigData skin{};
    EXPECT_EQ(codec->read(&skin, L"候选列表排列样式", L"横排", 2), 1);
    EXPECT_EQ(skin.options, kSkinHorizontal);
    std::wstring skinBody(4096, L'\0');
    EXPECT_EQ(codec->write(&skin, skinBody.data(), 4096, 2), 1);
    EXPECT_NE(std::wstring(skinBody.c_str()).find(L"候选列表排列样式=横排\r\n"),
              std::wstring::npos);

    // Kinds the codec does not know leave buffer and block alone.
    std::wstring untouched(16, L'x');
    EXPECT_EQ(codec->write(dme.get(), untouched.data(), 16, 7), 0);
    EXPECT_EQ(untouched, std::wstring(16, L'x'));
    EXPECT_EQ(codec->read(back.get(), L"候选唯一自动上屏码长", L"9", 7), 0);
    EXPECT_EQ(back->autoCommitLength, 4);
    codec->release(codec);
}

TEST_F(ExportedObjectTest, PagesWithoutAPageOpen) {
    void* out = nullptr;
    ASSERT_EQ(get_(kObjectSettingsPages, &out), 1);
    auto* pages = static_cast<SettingsPageObject*>(out);
    EXPECT_EQ(pages->destroy(1), 1);
    EXPECT_EQ(pages->destroy(0), 1);
    EXPECT_EQ(pages->create(GetDesktopWindow(), 2, nullptr), nullptr);
    pages->release(pages);
}

}  // namespace
