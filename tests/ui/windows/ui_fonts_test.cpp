#include "ui/windows/ui_fonts.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "ui/ui_engine_fixture.h"

namespace {

LOGFONTW FontOf(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf;
}

LOGFONTW Application(const wchar_t* face, LONG height, LONG weight, BYTE italic) {
    LOGFONTW lf{};
    std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE);
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = 1;
    return lf;
}

TEST(SetCandidateFont, TakesTheApplicationsFontAndKeepsTheSkinsColourAndWriting) {
    struct Case {
        const char* name;
        uint32_t skinOptions;
        LOGFONTW font;
        std::wstring face;  // of the style
        LONG escapement;
    };
    const std::wstring full(LF_FACESIZE, L'F');
    LOGFONTW unterminated = Application(L"", -16, 400, 0);
    std::wmemset(unterminated.lfFaceName, L'F', LF_FACESIZE);
    const Case cases[] = {
        {"plain", 0, Application(L"Arial", -20, 700, 1), L"Arial", 0},
        {"vertical writing turns it", kSkinVerticalLeft, Application(L"Arial", 18, 400, 0),
         L"Arial", 2700},
        {"face name filling the field without a terminator", 0, unterminated, full, 0},
    };
    for (const Case& c : cases) {
        testing_support::UiEngine t;
        t.e->skin->options = c.skinOptions;
        CreateUIFonts(t.e);
        UIState* s = t.e->uiState;
        s->candidateStyle.colour = 0x123456;
        SetCandidateFont(t.e, c.font);
        ASSERT_NE(s->candidateFont, nullptr) << c.name;
        EXPECT_EQ(std::wstring(s->candidateStyle.faceName), c.face) << c.name;
        EXPECT_EQ(s->candidateStyle.size, c.font.lfHeight) << c.name;
        EXPECT_EQ(s->candidateStyle.weight, c.font.lfWeight) << c.name;
        EXPECT_EQ(s->candidateStyle.italic, c.font.lfItalic) << c.name;
        EXPECT_EQ(s->candidateStyle.underline, 1) << c.name;
        EXPECT_EQ(s->candidateStyle.colour, 0x123456u) << c.name;
        const LOGFONTW made = FontOf(s->candidateFont);
        EXPECT_EQ(made.lfHeight, c.font.lfHeight) << c.name;
        EXPECT_EQ(made.lfWeight, c.font.lfWeight) << c.name;
        EXPECT_EQ(made.lfEscapement, c.escapement) << c.name;
        // The code font stays the skin's.
        EXPECT_NE(FontOf(s->codeFont).lfHeight, c.font.lfHeight) << c.name;
    }
}

TEST(SetCandidateFont, TheSameFontAgainKeepsTheHandle) {
    testing_support::UiEngine t;
    CreateUIFonts(t.e);
    const LOGFONTW font = Application(L"Arial", -20, 700, 0);
    SetCandidateFont(t.e, font);
    HFONT first = t.e->uiState->candidateFont;
    SetCandidateFont(t.e, font);
    EXPECT_EQ(t.e->uiState->candidateFont, first);
    LOGFONTW other = font;
    other.lfHeight = -24;
    SetCandidateFont(t.e, other);
    EXPECT_NE(t.e->uiState->candidateFont, first);
    EXPECT_EQ(FontOf(t.e->uiState->candidateFont).lfHeight, -24);
}

TEST(SetCandidateFont, WithoutAWindowStateNothingHappens) {
    testing_support::UiEngine t;
    UIState* kept = t.e->uiState;
    t.e->uiState = nullptr;
    SetCandidateFont(t.e, Application(L"Arial", -20, 700, 0));
    SetCandidateFont(nullptr, Application(L"Arial", -20, 700, 0));
    t.e->uiState = kept;
    EXPECT_EQ(kept->candidateFont, nullptr);
}

}  // namespace
