#include "ui/skin/skin_loader.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "support/test_files.h"
#include "ui/skin/skin_archive.h"
#include "ui/skin/skin_picture_budget.h"
#include "ui/skin_fixture.h"

namespace {

using namespace testing_support;

struct Loaded {
    std::unique_ptr<SkinDescription> d = std::make_unique<SkinDescription>();
    std::unique_ptr<SkinImageSet> set = std::make_unique<SkinImageSet>();
    ~Loaded() { FreeSkinImages(set.get()); }
};

bool LoadBytes(Loaded& l, const std::vector<uint8_t>& zip) {
    return LoadSkinFromMemory(l.d.get(), l.set.get(), zip.data(), zip.size());
}

std::vector<ZipItem> Without(const char* name) {
    std::vector<ZipItem> items;
    for (auto& i : RequiredPictures())
        if (i.name != name) items.push_back(i);
    return items;
}

TEST(SkinLoader, PackagesFromMemory) {
    std::string ini = SkinIni("");
    std::vector<ZipItem> missingBar = Without("bar.png");
    missingBar.push_back({"skin.ini", ini});
    std::vector<ZipItem> brokenPicture = RequiredPictures();
    brokenPicture[1].data = brokenPicture[1].data.substr(0, 40);  // cut inside the picture
    brokenPicture.push_back({"skin.ini", ini});
    std::vector<ZipItem> inFolder = RequiredPictures();
    inFolder[0].name = "sub/bar.png";
    inFolder.push_back({"skin.ini", ini});
    std::vector<ZipItem> upperCase = RequiredPictures();
    upperCase[0].name = "BAR.PNG";
    upperCase.push_back({"SKIN.INI", ini});
    struct Case {
        const char* name;
        std::vector<uint8_t> zip;
        bool ok;
    } cases[] = {
        {"complete", SkinPackage(ini), true},
        {"no skin.ini", MakeZip(RequiredPictures()), false},
        {"no name", SkinPackage(SkinIni("", "")), false},
        {"bad version", SkinPackage("\xEF\xBB\xBF;--- 3.2\r\n名称=x\r\n"), false},
        {"missing bar.png", MakeZip(missingBar), false},
        {"a required picture cut short", MakeZip(brokenPicture), false},
        {"a required picture inside a folder", MakeZip(inFolder), false},
        {"names without regard to case", MakeZip(upperCase), true},
        {"not an archive", std::vector<uint8_t>(100, 'x'), false},
    };
    for (const Case& c : cases) {
        Loaded l;
        EXPECT_EQ(LoadBytes(l, c.zip), c.ok) << c.name;
        if (c.ok) {
            EXPECT_STREQ(l.d->path, L"fromResource") << c.name;
        } else {
            for (SkinImage* image : l.set->images) EXPECT_EQ(image, nullptr) << c.name;
        }
    }
}

TEST(SkinLoader, OptionalPicturesFillTheirSlots) {
    std::string png = SolidPng(4, 4, 1, 2, 3, 255);
    Loaded l;
    ASSERT_TRUE(LoadBytes(l, SkinPackage(SkinIni(""), {{"key2_3.png", png},
                                                       {"extern2_3.png", png},
                                                       {"up_1.png", png},
                                                       {"other.png", png}})));
    EXPECT_NE(l.set->images[kSlotPageUp + 1], nullptr);
    EXPECT_EQ(l.set->images[kSlotPageUp], nullptr);
    // The fourth states of these two groups are read from key3_3.png and extern3_3.png only.
    EXPECT_EQ(l.set->images[kSlotSoftKeyboard2 + 3], nullptr);
    EXPECT_EQ(l.set->images[kSlotExtension2 + 3], nullptr);
    Loaded k;
    ASSERT_TRUE(LoadBytes(k, SkinPackage(SkinIni(""), {{"key3_3.png", png}})));
    EXPECT_NE(k.set->images[kSlotSoftKeyboard2 + 3], nullptr);
}

// Oversized pictures are refused from their headers and a package's pictures share one
// decoding budget; what is refused is missing, with the usual rules for missing pictures.
TEST(SkinLoader, PictureSizesAndThePackageBudget) {
    const std::string ini = SkinIni("");
    const std::string small = SolidPng(4, 4, 1, 2, 3, 255);
    const std::string big = GreyPng(2048, 2048);     // exactly one picture's bound
    const std::string tooBig = GreyPng(2049, 2048);  // over it by one column
    const std::string tooLong = GreyPng(kMaxSkinPictureSide + 1, 1);
    const int64_t required = kRequiredSkinImages * 20 * 10;
    const int bigAdmitted = int((kSkinPackagePixelBudget - required) / kMaxSkinPicturePixels);
    ASSERT_EQ(bigAdmitted, 3);  // the cases below pass the budget with the fourth

    auto package = [&](std::vector<ZipItem> before, std::vector<ZipItem> after) {
        std::vector<ZipItem> items = before;
        for (auto& i : RequiredPictures()) items.push_back(i);
        items.push_back({"skin.ini", ini});
        for (auto& i : after) items.push_back(i);
        return MakeZip(items);
    };
    std::vector<ZipItem> bigButtons = {
        {"up.png", big}, {"up_1.png", big}, {"up_2.png", big}, {"up_3.png", big}};
    std::vector<ZipItem> overBudget = bigButtons;
    overBudget.push_back({"menu.png", small});
    std::vector<ZipItem> everySlot;
    for (const char* name : kSkinImageNames) everySlot.push_back({name, tooBig});
    everySlot.push_back({"skin.ini", ini});
    std::vector<ZipItem> bigBar = RequiredPictures();
    bigBar[0].data = tooBig;
    bigBar.push_back({"skin.ini", ini});

    struct Case {
        const char* name;
        std::vector<uint8_t> zip;
        bool ok;
        std::vector<int> present, missing;
    } cases[] = {
        {"a normal package",
         package({}, {{"menu.png", small}, {"menu_1.png", small}, {"up.png", small}}),
         true,
         {kSlotStatusBar, kSlotMenu, kSlotMenu + 1, kSlotPageUp},
         {}},
        {"one picture over the bound is missing, the next ones load",
         package({}, {{"menu.png", tooBig}, {"menu_1.png", small}, {"up.png", tooLong}}),
         true,
         {kSlotMenu + 1},
         {kSlotMenu, kSlotPageUp}},
        {"a required picture over the bound fails the package", MakeZip(bigBar), false, {}, {}},
        {"a picture over the bound in every slot fails the package",
         MakeZip(everySlot),
         false,
         {},
         {}},
        {"pictures after the budget is spent are missing",
         package({}, overBudget),
         true,
         {kSlotPageUp, kSlotPageUp + 1, kSlotPageUp + 2},
         {kSlotPageUp + 3, kSlotMenu}},
        {"required pictures after the budget is spent fail the package",
         package(bigButtons, {}),
         false,
         {},
         {}},
    };
    for (const Case& c : cases) {
        Loaded l;
        EXPECT_EQ(LoadBytes(l, c.zip), c.ok) << c.name;
        int64_t pixels = 0;
        for (SkinImage* image : l.set->images) {
            if (!c.ok) {
                EXPECT_EQ(image, nullptr) << c.name;
            }
            if (image) pixels += int64_t(image->width) * image->height;
        }
        EXPECT_LE(pixels, kSkinPackagePixelBudget) << c.name;
        for (int slot : c.present) EXPECT_NE(l.set->images[slot], nullptr) << c.name << " " << slot;
        for (int slot : c.missing) EXPECT_EQ(l.set->images[slot], nullptr) << c.name << " " << slot;
    }
}

// Sets the uncompressed size an entry declares (local header and central directory) without
// changing its data, as a hostile archive does.
void DeclareSize(std::vector<uint8_t>& zip, const std::string& name, uint32_t size) {
    auto u16 = [&](size_t at) { return uint32_t(zip[at]) | uint32_t(zip[at + 1]) << 8; };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) zip[at + i] = uint8_t(v >> (8 * i));
    };
    for (size_t at = 0; at + 46 <= zip.size(); ++at) {
        if (u32(at) != 0x02014b50) continue;
        const size_t nameLength = u16(at + 28);
        if (std::string(zip.begin() + at + 46, zip.begin() + at + 46 + nameLength) != name)
            continue;
        put(at + 24, size);
        put(u32(at + 42) + 22, size);
        return;
    }
    ADD_FAILURE() << name << " is not in the archive";
}

// Only the entries a skin uses are read, each only when its declared size is within its bound
// and what is left of the package budget: fillers are never inflated, whatever they declare.
TEST(SkinArchive, EntriesAreRefusedByTheirDeclaredSizes) {
    const std::string ini = SkinIni("");
    const std::string small = SolidPng(4, 4, 1, 2, 3, 255);
    std::vector<ZipItem> items = RequiredPictures();
    items.push_back({"skin.ini", ini, true});
    items.push_back({"filler.bin", std::string(1 << 20, '\0'), true});
    items.push_back({"menu.png", small, true});
    items.push_back({"up.png", small, true});
    items.push_back({"sub/down.png", small, true});
    std::vector<uint8_t> zip = MakeZip(items);
    DeclareSize(zip, "filler.bin", 400u << 20);
    DeclareSize(zip, "menu.png", 400u << 20);

    unzFile archive = OpenMemoryArchive(zip.data(), zip.size());
    ASSERT_NE(archive, nullptr);
    ArchiveEntryList* list = ReadSkinArchiveEntries(archive);
    unzClose(archive);
    ASSERT_NE(list, nullptr);
    std::set<std::string> read, refused;
    for (int i = 0; i < list->count; ++i)
        (list->entries[i].readOk ? read : refused).insert(list->entries[i].name);
    FreeArchiveEntries(list);
    EXPECT_EQ(read, (std::set<std::string>{"bar.png", "candHB.png", "candHB_shu.png", "candQR.png",
                                           "candQR_shu.png", "skin.ini", "up.png"}));
    EXPECT_EQ(refused, std::set<std::string>{"menu.png"});

    Loaded l;
    ASSERT_TRUE(LoadBytes(l, zip));
    EXPECT_EQ(l.set->images[kSlotMenu], nullptr);
    EXPECT_NE(l.set->images[kSlotPageUp], nullptr);
}

// A package of pictures repeated past the byte budget: the entries after the budget is spent
// are not read, so the slot keeps the last picture that was.
TEST(SkinArchive, ThePackageBudgetBoundsTheTotalRead) {
    const uint64_t padding = kMaxSkinPictureBytes - 4096;
    const int fit = int(kSkinPackageByteBudget / kMaxSkinPictureBytes);
    std::vector<ZipItem> items = RequiredPictures();
    items.push_back({"skin.ini", SkinIni(""), true});
    for (int i = 0; i <= fit; ++i) {
        // Trailing bytes after the picture's end are never looked at by the decoder.
        std::string picture = SolidPng(2, 2, uint8_t(i), 0, 0, 255);
        picture.resize(size_t(padding), '\0');
        items.push_back({"menu.png", picture, true});
    }
    Loaded l;
    ASSERT_TRUE(LoadBytes(l, MakeZip(items)));
    ASSERT_NE(l.set->images[kSlotMenu], nullptr);
    // Pixels are B, G, R, A: the red of the picture tells which entry filled the slot.
    EXPECT_EQ(l.set->images[kSlotMenu]->pixels[2], uint8_t(fit - 1));
}

TEST(SkinLoader, FolderListingAndLibrary) {
    TempDir dir;
    std::vector<uint8_t> good = SkinPackage(SkinIni(""));
    std::wstring longName(40, L'n');
    longName += L".col";
    struct File {
        std::wstring name;
        const std::vector<uint8_t>* bytes;
    };
    std::vector<uint8_t> bad(10, 'x');
    std::vector<File> files = {{L"a.col", &good},       {L"b.icc", &good},  {L"c.COL", &good},
                               {L".hidden.col", &good}, {L"bad.col", &bad}, {longName, &good},
                               {L"x.txt", &good}};
    for (const File& f : files) ASSERT_TRUE(WriteFileBytes(dir / f.name, *f.bytes));
    CreateDirectoryW((dir / L"folder.col").c_str(), nullptr);

    wchar_t names[kSkinLibrarySize][kSkinListNameUnits] = {};
    int count = ListSkinFiles(dir.path().c_str(), names);
    std::set<std::wstring> listed(names, names + count);
    EXPECT_EQ(listed, (std::set<std::wstring>{L"a.col", L"b.icc", L"bad.col"}));

    auto library = std::make_unique<SkinLibrary>();
    EXPECT_EQ(LoadSkinFolder((dir.path() + L"\\").c_str(), library.get()), 2);
    EXPECT_EQ(library->count, 2);
    for (int i = 0; i < library->count; ++i)
        EXPECT_EQ(std::wstring(library->descriptions[i].path).rfind(dir.path(), 0), 0u);
    ClearSkinLibrary(library.get());
    EXPECT_EQ(library->count, 0);
}

TEST(SkinLoader, AFolderOfMoreThan64PackagesListsAndLoads64) {
    TempDir dir;
    std::vector<uint8_t> good = SkinPackage(SkinIni(""));
    for (int i = 0; i < 66; ++i)
        ASSERT_TRUE(WriteFileBytes(dir / (L"s" + std::to_wstring(i) + L".col"), good));
    wchar_t names[kSkinLibrarySize][kSkinListNameUnits] = {};
    EXPECT_EQ(ListSkinFiles(dir.path().c_str(), names), 64);
    auto library = std::make_unique<SkinLibrary>();
    EXPECT_EQ(LoadSkinFolder(dir.path().c_str(), library.get()), 64);
    ClearSkinLibrary(library.get());
}

TEST(SkinLoader, FromFileRecordsThePath) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"one.col", SkinPackage(SkinIni(""))));
    Loaded l;
    ASSERT_TRUE(LoadSkinFromFile(l.d.get(), l.set.get(), (dir / L"one.col").c_str()));
    EXPECT_EQ(std::wstring(l.d->path), dir / L"one.col");
    Loaded missing;
    EXPECT_FALSE(LoadSkinFromFile(missing.d.get(), missing.set.get(), (dir / L"none.col").c_str()));
}

TEST(SkinLoader, BuiltInPackageLoads) {
    Loaded l;
    ASSERT_TRUE(LoadBuiltInSkin(l.d.get(), l.set.get()));
    EXPECT_STREQ(l.d->path, L"fromResource");
}

}  // namespace
