// The text service's COM class keys under HKEY_CLASSES_ROOT, in the 64-bit and the 32-bit
// registry views.
#pragma once
#include <windows.h>

// "CLSID\{guid}" = "zantorTSF" with "InProcServer32" = module and "ThreadingModel" =
// "Apartment", in the 64-bit view; true when every key and value was written.
bool RegisterTextServiceClsid(const wchar_t* guidText, const wchar_t* module64);
// The same in the 32-bit view with the 32-bit module and the given description.
bool RegisterTextServiceClsid32(const wchar_t* guidText, const wchar_t* module32,
                                const wchar_t* description);
// True for a GUID in registry form ("{" 8-4-4-4-12 hex digits "}"). Keys named from a GUID
// text are written or deleted only for such a text: an empty one would name the parent.
bool IsGuidText(const wchar_t* text);

// Deletes both trees; true when both are gone.
bool RemoveClsidKeys(const wchar_t* guidText);

constexpr wchar_t kTextServiceDescription[] = L"zantorTSF";
