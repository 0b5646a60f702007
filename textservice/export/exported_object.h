// The library's one plain export for other programs: small tables of function pointers
// allocated by the library and freed through their own first slot.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/settings/option_codec.h"

struct Engine;

constexpr uint64_t kObjectSettingsPages = 1;
constexpr uint64_t kObjectOptionCodec = 2;
constexpr uint64_t kObjectCodeConversion = 3;  // not offered
constexpr uint64_t kObjectReleaseOnly = 4;

struct SettingsPageObject {
    void (*release)(SettingsPageObject* object);
    // Creates page 1 (input options) or 3 (appearance) as a child of parent over the caller's
    // engine; another page number creates nothing and returns the page already open.
    HWND (*create)(HWND parent, int page, Engine* caller);
    // Closes the open page, first asking it to store its fields when apply is nonzero; 0 when
    // the page refuses (it then stays open).
    int (*destroy)(int apply);
};
static_assert(sizeof(SettingsPageObject) == 3 * sizeof(void*));

struct ReleaseOnlyObject {
    void (*release)(ReleaseOnlyObject* object);
    void* unused;
};
static_assert(sizeof(ReleaseOnlyObject) == 2 * sizeof(void*));

// The export's type as callers bind it with GetProcAddress("KXITFGetObject").
using GetObjectFunction = int(WINAPI*)(uint64_t kind, void** out);

// The body of the export KXITFGetObject: 1 with a new object in *out, else 0 with *out NULL.
int GetExportedObject(uint64_t kind, void** out);
