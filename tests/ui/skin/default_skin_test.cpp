// The shipped default package: what every installation falls back to.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "ui/image/skin_image.h"
#include "ui/skin/skin_ini.h"
#include "ui/skin/skin_loader.h"
#include "ui/ui_engine_fixture.h"

namespace {

struct Package {
    const uint8_t* data = nullptr;
    DWORD size = 0;
    // 1: the built-in light package; 2: the dark one installed beside it.
    explicit Package(int id = 1) {
        HMODULE self = GetModuleHandleW(nullptr);
        HRSRC r = FindResourceW(self, MAKEINTRESOURCEW(id), L"COL");
        if (!r) return;
        data = static_cast<const uint8_t*>(LockResource(LoadResource(self, r)));
        size = SizeofResource(self, r);
    }
};

struct Entries {
    ArchiveEntryList* list = nullptr;
    explicit Entries(const Package& p) {
        unzFile z = OpenMemoryArchive(p.data, p.size);
        if (z) list = ReadOpenArchiveEntries(z), unzClose(z);
    }
    ~Entries() { FreeArchiveEntries(list); }
    const ArchiveEntry* Find(const char* name) const {
        for (int i = 0; list && i < list->count; ++i)
            if (_stricmp(list->entries[i].name, name) == 0) return &list->entries[i];
        return nullptr;
    }
};

TEST(DefaultSkin, SkinIniIsWellFormed) {
    Package p;
    ASSERT_NE(p.data, nullptr);
    Entries e(p);
    const ArchiveEntry* ini = e.Find("skin.ini");
    ASSERT_NE(ini, nullptr);
    std::string text(reinterpret_cast<const char*>(ini->data), size_t(ini->size));
    EXPECT_EQ(
        text.rfind("\xEF\xBB\xBF;------------------------for version 3.3+-------------------\r\n",
                   0),
        0u);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_EQ(text[i - 1], '\r') << "line end at " << i;
        }
    }
    auto d = std::make_unique<SkinDescription>();
    EXPECT_EQ(ParseSkinIni(d.get(), ini->data, size_t(ini->size)), kSkinIniOk);
    for (int i = 0; i < e.list->count; ++i)
        EXPECT_TRUE(e.list->entries[i].readOk) << e.list->entries[i].name;
}

TEST(DefaultSkin, PicturesBandsAndButtonsFit) {
    auto d = std::make_unique<SkinDescription>();
    auto set = std::make_unique<SkinImageSet>();
    ASSERT_TRUE(LoadBuiltInSkin(d.get(), set.get()));
    SkinImage** img = set->images;
    for (int i = 0; i < kRequiredSkinImages; ++i) ASSERT_NE(img[i], nullptr) << kSkinImageNames[i];
    // State variants match their normal picture.
    for (int group = kSlotLogo; group < kSkinImageSlots; group += 4)
        for (int s = 1; s < 4; ++s)
            if (img[group] && img[group + s]) {
                EXPECT_EQ(img[group + s]->width, img[group]->width) << kSkinImageNames[group + s];
                EXPECT_EQ(img[group + s]->height, img[group]->height) << kSkinImageNames[group + s];
            }
    struct Layout {
        const char* name;
        const CandidateLayout& L;
        const SkinImage* bg;
    } layouts[] = {{"merged", d->mergedH, img[kSlotMergedH]},
                   {"merged vertical", d->mergedV, img[kSlotMergedV]},
                   {"embedded", d->embeddedH, img[kSlotEmbeddedH]},
                   {"embedded vertical", d->embeddedV, img[kSlotEmbeddedV]}};
    for (const Layout& l : layouts) {
        const CandidateLayout& L = l.L;
        EXPECT_TRUE(0 <= L.stretchX.x && L.stretchX.x <= L.stretchX.y && L.stretchX.y < l.bg->width)
            << l.name;
        EXPECT_TRUE(0 <= L.stretchY.x && L.stretchY.x <= L.stretchY.y &&
                    L.stretchY.y < l.bg->height)
            << l.name;
        EXPECT_LT(L.candidateOrigin.y, l.bg->height) << l.name;
        struct Button {
            SkinPoint p;
            const SkinImage* picture;
        } buttons[] = {{L.pageUpButton, img[kSlotPageUp]},
                       {L.pageDownButton, img[kSlotPageDown]},
                       {L.widthButton, img[kSlotFullWidth]},
                       {L.punctuationButton, img[kSlotChinesePunct]}};
        for (const Button& b : buttons) {
            if (!SkinPointShown(b.p)) continue;
            ASSERT_NE(b.picture, nullptr) << l.name;
            // Placed on the unstretched picture, every button lies inside it.
            int32_t x = L.stretchX.y < b.p.x ? b.p.x - L.rightMargin : b.p.x;
            int32_t y = L.stretchY.y < b.p.y ? b.p.y - L.bottomMargin : b.p.y;
            EXPECT_LE(x + b.picture->width, l.bg->width) << l.name;
            EXPECT_LE(y + b.picture->height, l.bg->height) << l.name;
        }
    }
    const StatusBarLayout& s = d->statusBar;
    const SkinImage* bar = img[kSlotStatusBar];
    for (SkinPoint p : {s.logo, s.modeButton, s.punctuationButton, s.widthButton,
                        s.softKeyboardButton, s.menuButton}) {
        ASSERT_TRUE(SkinPointShown(p));
        EXPECT_LE(p.x + img[kSlotMenu]->width, bar->width);
        EXPECT_LE(p.y + img[kSlotMenu]->height, bar->height);
    }
    FreeSkinImages(set.get());
}

// WCAG relative luminance of a COLORREF.
double Luminance(uint32_t colour) {
    auto channel = [](uint32_t v) {
        const double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour & 0xFF) + 0.7152 * channel((colour >> 8) & 0xFF) +
           0.0722 * channel((colour >> 16) & 0xFF);
}

double Contrast(uint32_t a, uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The opaque colour of a picture's pixel, as a COLORREF.
uint32_t PixelColour(const SkinImage* p, int32_t x, int32_t y) {
    const uint8_t* px = p->pixels + (size_t(y) * p->width + x) * 4;
    return uint32_t(px[2]) | uint32_t(px[1]) << 8 | uint32_t(px[0]) << 16;
}

// Every text of both shipped skins reads at 4.5:1 or better against what it is drawn on: the
// window's ground where the candidates and the code stand, the selected row's and the
// hovered row's backgrounds. The numbers come from each skin's own skin.ini and pictures.
TEST(DefaultSkin, EveryTextHasContrastAgainstItsGround) {
    for (int id : {1, 2}) {
        SCOPED_TRACE(id == 1 ? "light" : "dark");
        Package p(id);
        ASSERT_NE(p.data, nullptr);
        auto d = std::make_unique<SkinDescription>();
        auto set = std::make_unique<SkinImageSet>();
        ASSERT_TRUE(LoadSkinFromMemory(d.get(), set.get(), p.data, p.size));
        const SkinTextStyle& t = d->text;
        const SkinImage* bg = set->images[kSlotMergedH];
        ASSERT_NE(bg, nullptr);
        const CandidateLayout& L = d->mergedH;
        ASSERT_EQ(
            bg->pixels[(size_t(L.candidateOrigin.y) * bg->width + L.candidateOrigin.x) * 4 + 3],
            255);
        const uint32_t ground = PixelColour(bg, L.candidateOrigin.x, L.candidateOrigin.y);
        const uint32_t codeGround = PixelColour(bg, L.codeOrigin.x, L.codeOrigin.y);
        const uint32_t hoverText = t.hoverColour > 0 ? uint32_t(t.hoverColour) : t.candidateColour;
        struct Pair {
            const char* name;
            int32_t text;
            uint32_t ground;
        } pairs[] = {
            {"code", t.codeColour, codeGround},
            {"candidate", t.candidateColour, ground},
            {"index", t.indexColour, ground},
            {"hint", t.hintColour, ground},
            {"temporary word", t.tempWordColour, ground},
            {"user word", t.userWordColour, ground},
            {"selected word", t.firstCandidateColour, uint32_t(t.firstCandidateBackground)},
            {"index on the selected row", t.indexColour, uint32_t(t.firstCandidateBackground)},
            {"hint on the selected row", t.hintColour, uint32_t(t.firstCandidateBackground)},
            {"hovered word", int32_t(hoverText), uint32_t(t.hoverBackground)},
            {"index on the hovered row", t.indexColour, uint32_t(t.hoverBackground)},
            {"temporary word hovered", t.tempWordColour, uint32_t(t.hoverBackground)},
            {"user word hovered", t.userWordColour, uint32_t(t.hoverBackground)},
        };
        for (const Pair& c : pairs) {
            ASSERT_GE(c.text, 0) << c.name;
            const double ratio = Contrast(uint32_t(c.text), c.ground);
            std::printf("%s %-28s %5.2f:1\n", id == 1 ? "light" : "dark ", c.name, ratio);
            EXPECT_GE(ratio, 4.5) << c.name;
        }
        // The selected row reads as selected on its own, and unlike a hovered one: its ground
        // differs clearly in colour from the window's and from the hover ground.
        auto apart = [](uint32_t a, uint32_t b) {
            int most = 0;
            for (int shift : {0, 8, 16})
                most =
                    std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
            return most;
        };
        EXPECT_GE(apart(uint32_t(t.firstCandidateBackground), uint32_t(t.hoverBackground)), 48);
        EXPECT_GE(apart(uint32_t(t.firstCandidateBackground), ground), 48);
        EXPECT_NE(t.firstCandidateColour, hoverText);
        FreeSkinImages(set.get());
    }
}

// Rows end every highlight at the window's right margin: one width for the whole page.
TEST(DefaultSkin, RowLayoutsHighlightOneWidth) {
    auto d = std::make_unique<SkinDescription>();
    auto set = std::make_unique<SkinImageSet>();
    ASSERT_TRUE(LoadBuiltInSkin(d.get(), set.get()));
    for (const CandidateLayout* L : {&d->mergedV, &d->embeddedV}) EXPECT_GE(L->textFrame[1], 1000);
    EXPECT_EQ(d->statusBar.defaultCorner, 6);  // bottom right, above the taskbar
    EXPECT_NE(set->images[kSlotSoftKeyboard2], nullptr)
        << "the soft-keyboard button is sized by it";
    FreeSkinImages(set.get());
}

// The bands a window is stretched by repeat plain rows and columns: no corner or divider
// within them, which tiling would turn into a dashed border.
TEST(DefaultSkin, StretchBandsArePlain) {
    for (int id : {1, 2}) {
        Package p(id);
        ASSERT_NE(p.data, nullptr) << id;
        auto d = std::make_unique<SkinDescription>();
        auto set = std::make_unique<SkinImageSet>();
        ASSERT_TRUE(LoadSkinFromMemory(d.get(), set.get(), p.data, p.size)) << id;
        const struct {
            const char* name;
            const CandidateLayout& L;
            const SkinImage* bg;
        } layouts[] = {{"merged", d->mergedH, set->images[kSlotMergedH]},
                       {"merged vertical", d->mergedV, set->images[kSlotMergedV]},
                       {"embedded", d->embeddedH, set->images[kSlotEmbeddedH]},
                       {"embedded vertical", d->embeddedV, set->images[kSlotEmbeddedV]}};
        for (const auto& l : layouts) {
            const SkinImage* bg = l.bg;
            auto px = [bg](int32_t x, int32_t y) {
                const uint8_t* q = bg->pixels + (size_t(y) * bg->width + x) * 4;
                return uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16 |
                       uint32_t(q[3]) << 24;
            };
            for (int32_t y = l.L.stretchY.x + 1; y <= l.L.stretchY.y; ++y)
                for (int32_t x = 0; x < bg->width; ++x)
                    ASSERT_EQ(px(x, y), px(x, l.L.stretchY.x))
                        << id << " " << l.name << " row " << y << " column " << x;
            for (int32_t x = l.L.stretchX.x + 1; x <= l.L.stretchX.y; ++x)
                for (int32_t y = 0; y < bg->height; ++y)
                    ASSERT_EQ(px(x, y), px(l.L.stretchX.x, y))
                        << id << " " << l.name << " column " << x << " row " << y;
        }
        FreeSkinImages(set.get());
    }
}

// Text of the default skin's fonts (18 and 22 pixels) as tall as the test fonts draw it.
SIZE SkinFontMeasure(void*, CandidateFont font, const wchar_t*, int length) {
    return font == kCodeFont ? SIZE{10 * length, 24} : SIZE{22 * length, 29};
}
const CandidateMeasurer kSkinFonts{SkinFontMeasure, nullptr};

// With the shipped options (rows, labels, hints, buttons) every layout tells of another page:
// page up stands disabled on the first page, page down shows while more candidates follow.
TEST(DefaultSkin, PageButtonsTellOfOtherPages) {
    const struct {
        const char* name;
        uint32_t options;
        bool code;
    } layouts[] = {
        {"rows", kSkinShowIndex | kSkinShowHints | kSkinShowButtons, false},
        {"rows with the code", kSkinShowIndex | kSkinShowHints | kSkinShowButtons, true},
        {"in line", kSkinShowIndex | kSkinShowHints | kSkinShowButtons | kSkinHorizontal, false},
        {"in line with the code",
         kSkinShowIndex | kSkinShowHints | kSkinShowButtons | kSkinHorizontal, true},
    };
    const struct {
        const char* name;
        int words;
        int64_t count;
        uint64_t up, down;
    } pages[] = {
        {"first of more", 5, 12, kRegionDisabled, kRegionNormal},
        {"only page", 2, 2, kRegionDisabled, kRegionDisabled},
        {"one word", 1, 1, kRegionDisabled, kRegionDisabled},
    };
    for (const auto& l : layouts)
        for (const auto& p : pages) {
            testing_support::UiEngine t;
            UIState* s = t.e->uiState;
            ASSERT_TRUE(LoadBuiltInSkin(&s->skin, &s->images));
            t.e->skin->options = l.options;
            std::vector<std::wstring> words;
            for (int i = 0; i < p.words; ++i) words.push_back(std::wstring(1, wchar_t(L'甲' + i)));
            t.Page(words);
            t.e->candidateCount = p.count;
            if (l.code) {
                s->host.imm32 = true;
                t.Composition(L"abc");
            }
            ASSERT_TRUE(LayoutCandidateWindow(t.e, kSkinFonts)) << l.name << ", " << p.name;
            const SkinRegion &up = t.R(kPageUpRegion), &down = t.R(kPageDownRegion);
            EXPECT_EQ(up.state, p.up) << l.name << ", " << p.name;
            EXPECT_EQ(down.state, p.down) << l.name << ", " << p.name;
            // Both inside the window's panel, clear of each other and of every highlight.
            const int32_t w = s->candidate.width, h = s->candidate.height;
            for (const SkinRegion* b : {&up, &down}) {
                EXPECT_TRUE(b->x >= 4 && b->y >= 4 && b->x + b->width <= w - 4 &&
                            b->y + b->height <= h - 4)
                    << l.name << ", " << p.name << " at " << b->x << "," << b->y;
                for (int k = 0; k < p.words; ++k) {
                    const RECT r = GetCandidateRect(t.e, k);
                    const bool apart = r.right <= b->x || b->x + b->width <= r.left ||
                                       r.bottom <= b->y || b->y + b->height <= r.top;
                    EXPECT_TRUE(apart) << l.name << ", " << p.name << ": slot " << k;
                }
            }
            const bool overlap = up.x < down.x + down.width && down.x < up.x + up.width &&
                                 up.y < down.y + down.height && down.y < up.y + up.height;
            EXPECT_FALSE(overlap) << l.name << ", " << p.name;
        }
}

// A code without words: the window ends below the code line, as its layout asks, and no
// taller picture stretches it further.
TEST(DefaultSkin, CodeWithoutWordsHasNoEmptyBand) {
    for (const uint32_t options : {uint32_t(kSkinShowIndex | kSkinShowButtons),
                                   uint32_t(kSkinShowIndex | kSkinShowButtons | kSkinHorizontal)}) {
        testing_support::UiEngine t;
        UIState* s = t.e->uiState;
        ASSERT_TRUE(LoadBuiltInSkin(&s->skin, &s->images));
        t.e->skin->options = options;
        s->host.imm32 = true;
        t.Composition(L"xyzq");
        ASSERT_TRUE(LayoutCandidateWindow(t.e, kSkinFonts)) << options;
        const CandidateLayout& L = *s->candidate.layout;
        EXPECT_EQ(s->candidate.height, L.candidateOrigin.y + L.bottomMargin) << options;
    }
}

}  // namespace
