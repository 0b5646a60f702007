#include "ui/skin/active_skin.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_files.h"
#include "ui/skin_fixture.h"
#include "ui/ui_engine_fixture.h"

namespace {

using namespace testing_support;

// An install folder with packages under colourful\, each named by its skin name.
struct Install {
    TempDir dir;
    UiEngine t;
    Install(std::initializer_list<const wchar_t*> packages) {
        CreateDirectoryW((dir / L"colourful").c_str(), nullptr);
        for (const wchar_t* p : packages) Add(p);
        wcscpy(t.e->installLocation, (dir.path() + L"\\").c_str());
    }
    void Add(const wchar_t* name, bool good = true, const std::wstring& folder = L"colourful\\") {
        std::string skinName = Narrow(name);
        WriteFileBytes(dir / (folder + name),
                       good ? SkinPackage(SkinIni("", skinName)) : std::vector<uint8_t>(9, 'x'));
    }
    void Choose(const wchar_t* name) { wcscpy(t.e->skin->skinName, name); }
    std::wstring Loaded() const { return t.e->uiState->skin.info.name; }
    std::wstring Path() const { return t.e->uiState->skin.path; }
};

TEST(ActiveSkin, Choices) {
    struct Case {
        const char* name;
        std::initializer_list<const wchar_t*> packages;
        const wchar_t* chosen;
        const wchar_t* current;
        std::wstring loaded;  // skin name; "清爽" is the built-in one
        std::wstring storedName;
    } cases[] = {
        {"the chosen package", {L"a.col", L"b.col"}, L"b.col", L"", L"b.col", L"b.col"},
        {"a missing choice takes the first", {L"a.col"}, L"gone.col", L"", L"a.col", L"a.col"},
        {"an empty choice takes the first", {L"a.col"}, L"", L"", L"a.col", L"a.col"},
        {"cycling moves to the next",
         {L"a.col", L"b.col", L"c.col"},
         L"切换",
         L"b.col",
         L"c.col",
         L"c.col"},
        {"cycling wraps from the last",
         {L"a.col", L"b.col", L"c.col"},
         L"切换",
         L"c.col",
         L"a.col",
         L"a.col"},
        {"cycling from an unknown one takes the first",
         {L"a.col", L"b.col"},
         L"切换",
         L"x.col",
         L"a.col",
         L"a.col"},
        {"no package falls back to the built-in", {}, L"a.col", L"", L"清爽", L"a.col"},
    };
    for (const Case& c : cases) {
        Install in(c.packages);
        in.Choose(c.chosen);
        wcscpy(in.t.e->skin->currentSkin, c.current);
        ASSERT_TRUE(SelectActiveSkin(in.t.e)) << c.name;
        EXPECT_EQ(in.Loaded(), c.loaded) << c.name;
        EXPECT_EQ(std::wstring(in.t.e->skin->skinName), c.storedName) << c.name;
    }
}

TEST(ActiveSkin, RootSkinColAndTheBuiltInFallback) {
    Install in({});
    in.Add(L"skin.col", true, L"");
    in.Choose(L"skin.col");
    ASSERT_TRUE(SelectActiveSkin(in.t.e));
    EXPECT_EQ(in.Loaded(), L"skin.col");
    EXPECT_EQ(in.Path(), in.dir / L"skin.col");

    Install broken({});
    broken.Add(L"bad.col", false);
    broken.Choose(L"bad.col");
    ASSERT_TRUE(SelectActiveSkin(broken.t.e));
    EXPECT_EQ(broken.Path(), L"fromResource");
    EXPECT_STREQ(broken.t.e->skin->skinName, L"bad.col");  // left as it was
}

TEST(ActiveSkin, APackageWithAnOversizedRequiredPictureFallsBackToTheBuiltIn) {
    Install in({});
    std::vector<ZipItem> items = RequiredPictures();
    items[0].data = GreyPng(2049, 2048);  // bar.png over one picture's bound
    items.push_back({"skin.ini", SkinIni("", "huge.col")});
    ASSERT_TRUE(WriteFileBytes(in.dir / L"colourful\\huge.col", MakeZip(items)));
    in.Choose(L"huge.col");
    ASSERT_TRUE(SelectActiveSkin(in.t.e));
    EXPECT_EQ(in.Path(), L"fromResource");
    EXPECT_EQ(in.Loaded(), L"清爽");
}

TEST(ActiveSkin, ReloadAfterAFallbackTakesTheNextChoice) {
    Install in({});
    in.Add(L"bad.col", false);
    in.Choose(L"bad.col");
    ASSERT_TRUE(SelectActiveSkin(in.t.e));
    ASSERT_EQ(in.Path(), L"fromResource");
    in.t.e->skin->statusWindowPos = WindowPoint{5, 5};
    EXPECT_FALSE(ReloadSkin(in.t.e));  // the same choice: nothing to do
    EXPECT_EQ(in.t.e->skin->statusWindowPos.x, 5);
    in.Add(L"good.col");
    in.Choose(L"good.col");
    EXPECT_TRUE(ReloadSkin(in.t.e));
    EXPECT_EQ(in.Loaded(), L"good.col");
    EXPECT_EQ(in.t.e->skin->statusWindowPos.x, -1);
    EXPECT_EQ(in.t.e->skin->statusWindowPos.y, -1);
    EXPECT_FALSE(ReloadSkin(in.t.e));  // loaded and chosen agree
}

TEST(ActiveSkin, LibraryOfTheFolderOrTheBuiltIn) {
    Install in({L"a.col", L"b.col"});
    auto library = std::make_unique<SkinLibrary>();
    EXPECT_EQ(LoadSkinLibrary(in.t.e, library.get()), 2);
    EXPECT_EQ(LoadSkinLibrary(in.t.e, library.get()), 2);  // refilled, not added to
    ClearSkinLibrary(library.get());
    Install empty({});
    EXPECT_EQ(LoadSkinLibrary(empty.t.e, library.get()), 1);
    EXPECT_STREQ(library->descriptions[0].path, L"fromResource");
    ClearSkinLibrary(library.get());
}

}  // namespace
