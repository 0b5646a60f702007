#include "ui/skin/active_skin.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "ui/skin/skin_loader.h"
#include "ui/skin/skin_scale.h"
#include "ui/windows/ui_state_block.h"

const wchar_t* SkinFileName(const wchar_t* path) {
    const wchar_t* slash = path ? std::wcsrchr(path, L'\\') : nullptr;
    return slash ? slash + 1 : nullptr;
}

namespace {

void StoreSkinName(wchar_t* out, const wchar_t* name) {
    size_t n = std::wcslen(name);
    if (n > size_t(kSkinNameMax)) n = kSkinNameMax;
    std::wmemcpy(out, name, n);
    out[n] = 0;
}

// The install folder with a trailing '\'.
void InstallFolder(const Engine* e, wchar_t* out, size_t units) {
    std::swprintf(out, units, L"%ls", e->installLocation);
    size_t n = std::wcslen(out);
    if (n && out[n - 1] != L'\\' && n + 1 < units) out[n] = L'\\', out[n + 1] = 0;
}

bool FileExists(const wchar_t* path) {
    DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool LoadChosenSkin(Engine* e) {
    UIState* s = e->uiState;
    FreeSkinImages(&s->images);
    std::memset(&s->images, 0, sizeof s->images);
    std::memset(&s->skin, 0, sizeof s->skin);
    SkinConfigData* cfg = e->skin;
    wchar_t chosen[kSkinNameUnits];
    std::wmemcpy(chosen, cfg->skinName, kSkinNameUnits);
    chosen[kSkinNameUnits - 1] = 0;

    wchar_t root[MAX_PATH];
    InstallFolder(e, root, MAX_PATH);
    wchar_t path[MAX_PATH * 2];
    std::swprintf(path, MAX_PATH * 2, L"%lscolourful\\%ls", root, chosen);
    bool havePath = true;
    if (!chosen[0] || !FileExists(path)) {
        wchar_t folder[MAX_PATH + 16];
        std::swprintf(folder, MAX_PATH + 16, L"%lscolourful\\", root);
        auto* names = static_cast<wchar_t(*)[kSkinListNameUnits]>(
            std::calloc(kSkinLibrarySize, sizeof(wchar_t[kSkinListNameUnits])));
        int count = names ? ListSkinFiles(folder, names) : 0;
        if (count == 0) {
            havePath = false;
        } else {
            int pick = 0;
            if (std::wcscmp(chosen, kSkinNameCycle) == 0) {
                wchar_t current[kSkinNameUnits];
                std::wmemcpy(current, cfg->currentSkin, kSkinNameUnits);
                current[kSkinNameUnits - 1] = 0;
                for (int i = 0; i < count; ++i)
                    if (std::wcscmp(names[i], current) == 0) pick = (i + 1) % count;
            }
            std::swprintf(path, MAX_PATH * 2, L"%lscolourful\\%ls", root, names[pick]);
        }
        std::free(names);
    }
    if (havePath && LoadSkinFromFile(&s->skin, &s->images, path)) {
        StoreSkinName(cfg->skinName, SkinFileName(path));
        StoreSkinName(cfg->currentSkin, SkinFileName(path));
        s->fallbackName[0] = 0;
        return true;
    }
    if (std::wcscmp(chosen, kSkinNameRoot) == 0) {
        std::swprintf(path, MAX_PATH * 2, L"%lsskin.col", root);
        if (LoadSkinFromFile(&s->skin, &s->images, path)) {
            StoreSkinName(cfg->skinName, kSkinNameRoot);
            StoreSkinName(cfg->currentSkin, kSkinNameRoot);
            s->fallbackName[0] = 0;
            return true;
        }
    }
    LoadBuiltInSkin(&s->skin, &s->images);
    std::wmemcpy(s->fallbackName, chosen, kSkinNameUnits);
    return s->skin.path[0] != 0;
}

}  // namespace

bool SelectActiveSkin(Engine* e) {
    if (!e || !e->uiState || !e->skin) return false;
    const bool loaded = LoadChosenSkin(e);
    ScaleSkin(&e->uiState->skin, &e->uiState->images, e->uiState->dpi);
    return loaded;
}

bool ReloadSkin(Engine* e) {
    if (!e || !e->uiState || !e->skin) return false;
    UIState* s = e->uiState;
    const wchar_t* loaded = SkinFileName(s->skin.path);
    wchar_t chosen[kSkinNameUnits];
    std::wmemcpy(chosen, e->skin->skinName, kSkinNameUnits);
    chosen[kSkinNameUnits - 1] = 0;
    if (loaded && std::wcscmp(loaded, chosen) == 0) return false;
    // After a fallback to the built-in skin only a different choice loads again.
    if (!loaded && s->skin.path[0] && std::wcscmp(s->fallbackName, chosen) == 0) return false;
    SelectActiveSkin(e);
    e->skin->statusWindowPos = WindowPoint{-1, -1};
    if (e->windows.candidateWindow)
        SendMessageW(e->windows.candidateWindow, kSkinReloadedMessage, 0, 0);
    if (e->windows.statusWindow) SendMessageW(e->windows.statusWindow, kSkinReloadedMessage, 0, 0);
    return true;
}

int LoadSkinLibrary(Engine* e, SkinLibrary* library) {
    if (!e || !library) return 0;
    wchar_t root[MAX_PATH];
    InstallFolder(e, root, MAX_PATH);
    wchar_t folder[MAX_PATH + 16];
    std::swprintf(folder, MAX_PATH + 16, L"%lscolourful\\", root);
    ClearSkinLibrary(library);
    LoadSkinFolder(folder, library);
    if (library->count == 0 && LoadBuiltInSkin(&library->descriptions[0], &library->imageSets[0]))
        library->count = 1;
    return library->count;
}
