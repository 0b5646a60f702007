// The shipped default package: what every installation falls back to.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/image/skin_image.h"
#include "ui/skin/skin_ini.h"
#include "ui/skin/skin_loader.h"

namespace {

struct Package {
    const uint8_t* data = nullptr;
    DWORD size = 0;
    Package() {
        HMODULE self = GetModuleHandleW(nullptr);
        HRSRC r = FindResourceW(self, MAKEINTRESOURCEW(1), L"COL");
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

}  // namespace
