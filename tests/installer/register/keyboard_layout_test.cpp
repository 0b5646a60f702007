// The IMM32 layout's registry text, the Preload rewrite and the choice of another default
// input method.
#include "installer/register/keyboard_layout.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/base/handles.h"
#include "core/base/registry.h"
#include "installer/register/default_input.h"

namespace {

HKL Layout(uint32_t id) {
    return reinterpret_cast<HKL>(static_cast<intptr_t>(static_cast<int32_t>(id)));
}

// A scratch Preload key of the current user, removed at the end.
class ScratchPreload {
public:
    ScratchPreload() {
        GUID g;
        CoCreateGuid(&g);
        wchar_t t[40];
        StringFromGUID2(g, t, 40);
        path_ = std::wstring(L"Software\\zan-tests\\") + t;
        RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key_.put(), nullptr);
    }
    ~ScratchPreload() {
        key_.reset();
        DeleteRegistryTree(HKEY_CURRENT_USER, path_.c_str());
    }
    HKEY get() const { return key_.get(); }
    void Set(const std::vector<std::wstring>& values) {
        for (size_t i = 0; i < values.size(); ++i) {
            std::wstring name = std::to_wstring(i + 1);
            RegSetValueExW(key_.get(), name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(values[i].c_str()),
                           static_cast<DWORD>((values[i].size() + 1) * 2));
        }
    }
    std::map<std::wstring, std::wstring> Values() const {
        std::map<std::wstring, std::wstring> out;
        for (DWORD i = 0;; ++i) {
            wchar_t name[32], data[32];
            DWORD nameChars = 32, bytes = sizeof data, type = 0;
            if (RegEnumValueW(key_.get(), i, name, &nameChars, nullptr, &type,
                              reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS) {
                break;
            }
            out[name] = data;
        }
        return out;
    }

private:
    std::wstring path_;
    zan::UniqueKey key_;
};

}  // namespace

TEST(KeyboardLayout, TextIsTheLowHalfOfTheHandle) {
    const struct {
        HKL layout;
        const wchar_t* text;
    } cases[] = {
        {Layout(0xE0200804), L"E0200804"},  // sign-extended on x64
        {Layout(0x00000409), L"00000409"},
        {reinterpret_cast<HKL>(static_cast<uintptr_t>(0xE0010804)), L"E0010804"},
    };
    for (const auto& c : cases) {
        wchar_t text[9];
        LayoutText(c.layout, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(KeyboardLayout, PreloadLosesOursAndTheLaterNumbersMoveDown) {
    using Values = std::map<std::wstring, std::wstring>;
    const struct {
        const char* name;
        std::vector<std::wstring> before;
        bool removed;
        Values after;
    } cases[] = {
        {"in the middle",
         {L"00000804", L"E0200804", L"00000409"},
         true,
         {{L"1", L"00000804"}, {L"2", L"00000409"}}},
        {"first", {L"E0200804", L"00000804"}, true, {{L"1", L"00000804"}}},
        {"last", {L"00000804", L"e0200804"}, true, {{L"1", L"00000804"}}},
        {"alone", {L"E0200804"}, true, {}},
        {"only the first of two",
         {L"E0200804", L"00000804", L"E0200804"},
         true,
         {{L"1", L"00000804"}, {L"2", L"E0200804"}}},
        {"absent", {L"00000804", L"00000409"}, false, {{L"1", L"00000804"}, {L"2", L"00000409"}}},
        {"empty list", {}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchPreload preload;
        preload.Set(c.before);
        EXPECT_EQ(RemovePreloadValue(preload.get(), L"E0200804"), c.removed);
        EXPECT_EQ(preload.Values(), c.after);
    }
}

TEST(KeyboardLayout, AnotherInputMethodOfTheSameLanguageBecomesTheDefault) {
    CLSID ours{}, other{};
    ours.Data1 = 1;
    other.Data1 = 2;
    HKL ourLayout = Layout(0xE0200804), chinese = Layout(0x08040804), english = Layout(0x04090409);
    auto tip = [](LANGID l, const CLSID& c) {
        InputProfileEntry e;
        e.language = l;
        e.textService = true;
        e.clsid = c;
        return e;
    };
    auto kbd = [](HKL h) {
        InputProfileEntry e;
        e.language = LOWORD(reinterpret_cast<uintptr_t>(h));
        e.layout = h;
        return e;
    };
    const struct {
        const char* name;
        std::vector<InputProfileEntry> entries;
        int current, chosen;
    } cases[] = {
        {"our text service is the default: a plain layout first",
         {tip(0x804, ours), tip(0x804, other), kbd(chinese), kbd(english)},
         0,
         2},
        {"our layout is the default", {kbd(ourLayout), kbd(chinese)}, 0, 1},
        {"no plain layout of the language: another text service",
         {tip(0x804, ours), tip(0x804, other), kbd(ourLayout), kbd(english)},
         0,
         1},
        {"someone else is the default", {tip(0x804, ours), kbd(chinese)}, 1, -1},
        {"nothing else of the language", {tip(0x804, ours), kbd(ourLayout), kbd(english)}, 0, -1},
        {"default unknown", {tip(0x804, ours), kbd(chinese)}, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseOtherDefault(c.entries, c.current, ourLayout, ours), c.chosen);
    }
}
