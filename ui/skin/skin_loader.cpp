#include "ui/skin/skin_loader.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "ui/skin/skin_archive.h"
#include "ui/skin/skin_ini.h"
#include "ui/skin/skin_picture_budget.h"

const char* const kSkinImageNames[kSkinImageSlots] = {
    "bar.png",           "candHB.png",      "candHB_shu.png",    "candQR.png",
    "candQR_shu.png",    "flag.png",        "flag_1.png",        "flag_2.png",
    "flag_3.png",        "en.png",          "en_1.png",          "en_2.png",
    "en_3.png",          "cn.png",          "cn_1.png",          "cn_2.png",
    "cn_3.png",          "capslock.png",    "capslock_1.png",    "capslock_2.png",
    "capslock_3.png",    "en_biaodian.png", "en_biaodian_1.png", "en_biaodian_2.png",
    "en_biaodian_3.png", "cn_biaodian.png", "cn_biaodian_1.png", "cn_biaodian_2.png",
    "cn_biaodian_3.png", "quan.png",        "quan_1.png",        "quan_2.png",
    "quan_3.png",        "ban.png",         "ban_1.png",         "ban_2.png",
    "ban_3.png",         "key2.png",        "key2_1.png",        "key2_2.png",
    "key3_3.png",        "key1.png",        "key1_1.png",        "key1_2.png",
    "key1_3.png",        "menu.png",        "menu_1.png",        "menu_2.png",
    "menu_3.png",        "up.png",          "up_1.png",          "up_2.png",
    "up_3.png",          "down.png",        "down_1.png",        "down_2.png",
    "down_3.png",        "extern1.png",     "extern1_1.png",     "extern1_2.png",
    "extern1_3.png",     "extern2.png",     "extern2_1.png",     "extern2_2.png",
    "extern3_3.png",     "jian.png",        "jian_1.png",        "jian_2.png",
    "jian_3.png",        "fan.png",         "fan_1.png",         "fan_2.png",
    "fan_3.png",
};

void FreeSkinImages(SkinImageSet* set) {
    if (!set) return;
    for (SkinImage* image : set->images) FreeSkinImage(image);
}

namespace {

int SlotOfName(const char* name) {
    for (int i = 0; i < kSkinImageSlots; ++i)
        if (_stricmp(name, kSkinImageNames[i]) == 0) return i;
    return -1;
}

}  // namespace

bool LoadSkinFromArchive(SkinDescription* description, SkinImageSet* set,
                         ArchiveEntryList* entries) {
    if (!entries) return false;
    SkinDescription* local = nullptr;
    if (!description)
        description = local = static_cast<SkinDescription*>(std::calloc(1, sizeof *local));
    SkinImageSet scratch{};
    if (!set) set = &scratch;
    bool parsed = false;
    SkinPictureBudget budget;
    for (int32_t i = 0; description && i < entries->count; ++i) {
        const ArchiveEntry& e = entries->entries[i];
        if (!e.readOk || !e.data) continue;
        if (std::strchr(e.name, '/') || std::strchr(e.name, '\\')) continue;
        if (_stricmp(e.name, "skin.ini") == 0) {
            parsed = ParseSkinIni(description, e.data, size_t(e.size)) == kSkinIniOk;
            continue;
        }
        int slot = SlotOfName(e.name);
        if (slot < 0) continue;
        FreeSkinImage(set->images[slot]);  // a name given twice keeps the last picture
        set->images[slot] = DecodeSkinPicture(&budget, e.data, size_t(e.size));
    }
    FreeArchiveEntries(entries);
    bool ok = parsed && description && description->info.name[0];
    for (int i = 0; ok && i < kRequiredSkinImages; ++i) ok = set->images[i] != nullptr;
    if (!ok || set == &scratch) {
        FreeSkinImages(set);
        std::memset(set, 0, sizeof *set);
    }
    std::free(local);
    return ok;
}

bool LoadSkinFromFile(SkinDescription* description, SkinImageSet* set, const wchar_t* path) {
    if (!description || !set || !path) return false;
    std::memset(description, 0, sizeof *description);
    std::memset(set, 0, sizeof *set);
    size_t n = std::wcslen(path);
    if (n >= kSkinPathUnits) return false;  // the path would not fit the record
    if (!LoadSkinFromArchive(description, set, ReadSkinPackageFile(path))) return false;
    std::wmemcpy(description->path, path, n + 1);
    return true;
}

bool LoadSkinFromMemory(SkinDescription* description, SkinImageSet* set, const void* data,
                        size_t size) {
    if (!description || !set || !data || size == 0) return false;
    std::memset(description, 0, sizeof *description);
    std::memset(set, 0, sizeof *set);
    unzFile zip = OpenMemoryArchive(data, size);
    if (!zip) return false;
    ArchiveEntryList* entries = ReadSkinArchiveEntries(zip);
    unzClose(zip);
    if (!LoadSkinFromArchive(description, set, entries)) return false;
    std::wcscpy(description->path, kSkinFromResource);
    return true;
}

namespace {

bool IsSkinPackageName(const wchar_t* name) {
    size_t n = std::wcslen(name);
    if (n < 4 || name[0] == L'.') return false;
    return std::wcscmp(name + n - 4, L".col") == 0 || std::wcscmp(name + n - 4, L".icc") == 0;
}

// Calls visit(name) for each package of folder, at most 64 times; a name too long for the
// list is skipped, so the list and the paths formed from it always agree.
template <typename Visit>
int WalkSkinFolder(const wchar_t* folder, Visit visit) {
    if (!folder) return 0;
    wchar_t pattern[MAX_PATH + 4];
    size_t n = std::wcslen(folder);
    if (n == 0 || n + 3 >= MAX_PATH) return 0;
    std::wmemcpy(pattern, folder, n + 1);
    if (pattern[n - 1] != L'\\') pattern[n++] = L'\\', pattern[n] = 0;
    std::wcscat(pattern, L"*");
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(pattern, &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!IsSkinPackageName(found.cFileName)) continue;
        if (std::wcslen(found.cFileName) >= kSkinListNameUnits) continue;
        if (visit(pattern, n, found.cFileName)) ++count;
    } while (count < kSkinLibrarySize && FindNextFileW(h, &found));
    FindClose(h);
    return count;
}

}  // namespace

int ListSkinFiles(const wchar_t* folder, wchar_t (*names)[kSkinListNameUnits]) {
    if (!names) return 0;
    int index = 0;
    return WalkSkinFolder(folder, [&](const wchar_t*, size_t, const wchar_t* name) {
        std::wcscpy(names[index++], name);
        return true;
    });
}

int LoadSkinFolder(const wchar_t* folder, SkinLibrary* library) {
    if (!library) return 0;
    std::memset(library, 0, sizeof *library);
    wchar_t path[MAX_PATH + kSkinListNameUnits + 4];
    WalkSkinFolder(folder, [&](const wchar_t* pattern, size_t prefix, const wchar_t* name) {
        std::wmemcpy(path, pattern, prefix);
        std::wcscpy(path + prefix, name);
        int slot = library->count;
        if (!LoadSkinFromFile(&library->descriptions[slot], &library->imageSets[slot], path))
            return false;
        ++library->count;
        return true;
    });
    return library->count;
}

void ClearSkinLibrary(SkinLibrary* library) {
    if (!library) return;
    for (int32_t i = 0; i < library->count && i < kSkinLibrarySize; ++i) {
        FreeSkinImages(&library->imageSets[i]);
        std::memset(&library->imageSets[i], 0, sizeof library->imageSets[i]);
    }
    library->count = 0;
}

bool LoadBuiltInSkin(SkinDescription* description, SkinImageSet* set) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&LoadBuiltInSkin), &module))
        return false;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), L"COL");
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    DWORD size = SizeofResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data && size && LoadSkinFromMemory(description, set, data, size);
}
