// Choosing, loading and reloading the active skin of an engine record.
#pragma once
#include "core/record/engine.h"
#include "ui/skin/skin_description.h"

constexpr wchar_t kSkinFolderName[] = L"colourful\\";
constexpr wchar_t kSkinNameCycle[] = L"切换";
constexpr wchar_t kSkinNameRoot[] = L"skin.col";
constexpr UINT kSkinReloadedMessage = WM_USER + 100;

// Loads the chosen skin into the record's UIState, falling back to the first package of the
// skin folder, "skin.col" and the built-in package, scaled for the UIState's DPI. True when
// a skin is loaded.
bool SelectActiveSkin(Engine* engine);
// Loads again when the chosen name differs from the loaded skin; then forgets the status
// bar's position and tells the candidate and status windows. True when it reloaded.
bool ReloadSkin(Engine* engine);
// Fills library with the skin folder's packages (the built-in one when none); the count.
int LoadSkinLibrary(Engine* engine, SkinLibrary* library);
// The file name part of path (after the last '\'), or null without a '\'.
const wchar_t* SkinFileName(const wchar_t* path);
