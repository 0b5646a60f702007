// Loading skin packages (.col ZIP archives of skin.ini and PNG pictures) from files, memory
// and folders.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/files/archive.h"
#include "ui/skin/skin_description.h"

// Package names as listed: the whole file name is kept (a longer one is skipped).
constexpr int kSkinListNameUnits = 32;

// Frees every picture of the set; the slots are not cleared.
void FreeSkinImages(SkinImageSet* set);

// Parses skin.ini and decodes the pictures of the entries, then frees the entries whatever
// the result. Pictures over the package's decoding bounds (skin_picture_budget.h) stay
// missing. True with a named skin and the five required pictures; on failure the set's
// pictures are freed. description and set may be null.
bool LoadSkinFromArchive(SkinDescription* description, SkinImageSet* set,
                         ArchiveEntryList* entries);
// Zero-fill both, load the package; on success the path is recorded.
bool LoadSkinFromFile(SkinDescription* description, SkinImageSet* set, const wchar_t* path);
// The same for a package in memory; the path becomes "fromResource".
bool LoadSkinFromMemory(SkinDescription* description, SkinImageSet* set, const void* data,
                        size_t size);

// Lists up to 64 package names (".col" or ".icc", not hidden, not folders) of folder; the count.
int ListSkinFiles(const wchar_t* folder, wchar_t (*names)[kSkinListNameUnits]);
// Zero-fills the library and loads every usable package of folder; the count.
int LoadSkinFolder(const wchar_t* folder, SkinLibrary* library);
// Frees the pictures of the counted skins and sets the count to 0.
void ClearSkinLibrary(SkinLibrary* library);

// The built-in package: resource "COL" 1 of the module holding this code.
bool LoadBuiltInSkin(SkinDescription* description, SkinImageSet* set);
