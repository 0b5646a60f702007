// Fixed key texts of the plain and shifted layers.
#include "engine/key_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/platform.h"

namespace {

TEST(KeyTexts, PlainAndShiftedLayers) {
    struct Case {
        uint32_t code;
        std::wstring text;
    };
    const Case cases[] = {
        {0x07, L"\x07"},     {0x107, L"\x07"},   {0x08, L"键Backspace"},
        {0x1B, L"键Esc"},    {0x20, L" "},       {0x120, L""},
        {0x25, L"键左箭头"}, {0x2C, L"键PrtSc"}, {0x30, L"0"},
        {0x130, L")"},       {0x139, L"("},      {0x41, L"a"},
        {0x141, L"A"},       {0x5A, L"z"},       {0x60, L"\x10"},
        {0x69, L"\x19"},     {0x6A, L"\x0A"},    {0x6F, L"\x0F"},
        {0x6C, L""},         {0x70, L"键F1"},    {0x87, L"键F24"},
        {0xA5, L"键右Alt"},  {0xBA, L";"},       {0x1BA, L":"},
        {0xC0, L"`"},        {0x1C0, L"~"},      {0xDC, L"\\"},
        {0x1DC, L"|"},       {0x1DE, L"\""},     {0x10D, L"键Enter"},
        {0x1FF, L""},        {0xFF, L""},        {0x241, L""},
        {0xFFFFFFFF, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const wchar_t* t = GetKeyText(c.code);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(std::wstring(t), c.text);
    }
}

bool g_shift = false;

TEST(KeyTexts, MarkerFollowsShift) {
    EnginePlatform p = Win32Platform();
    p.keyState = [](int vk) -> int16_t { return vk == VK_SHIFT && g_shift ? int16_t(0x8000) : 0; };
    SetPlatform(&p);
    for (bool shift : {false, true}) {
        g_shift = shift;
        EXPECT_EQ(GetMarkerKeyText(), GetKeyText(kMarkerKey | (shift ? kKeyTextShifted : 0)));
    }
    SetPlatform(nullptr);
}

}  // namespace
