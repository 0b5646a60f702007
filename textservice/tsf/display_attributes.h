// The three display attributes of the composition text (Input, Converted, None), their
// per-user looks in the registry, and the enumerator the framework asks for.
#pragma once
#include <windows.h>

#include "textservice/tsf/tsf_compat.h"

enum class AttributeKind : int { kInput = 0, kConverted = 1, kNone = 2 };
constexpr int kAttributeKinds = 3;

// Registry home of the stored looks, under HKEY_CURRENT_USER.
inline constexpr wchar_t kDisplayAttributeKey[] = L"Software\\Zantor Text Service";

const GUID& AttributeGuid(AttributeKind kind);
// The built-in look of kind.
TF_DISPLAYATTRIBUTE DefaultAttribute(AttributeKind kind);
// The stored look of kind, or the built-in one when none of exactly 36 bytes is stored.
TF_DISPLAYATTRIBUTE ReadAttribute(AttributeKind kind);
// Stores a look; false when the key or value cannot be written.
bool WriteAttribute(AttributeKind kind, const TF_DISPLAYATTRIBUTE& attribute);

// A new ITfDisplayAttributeInfo of kind (reference 1), or null when memory is short.
ITfDisplayAttributeInfo* CreateDisplayAttributeInfo(AttributeKind kind);
// A new enumerator at position (0-3, reference 1), or null.
IEnumTfDisplayAttributeInfo* CreateDisplayAttributeEnumerator(int position = 0);

// ITfDisplayAttributeProvider::GetDisplayAttributeInfo for one of the three GUIDs.
HRESULT GetDisplayAttributeInfoFor(REFGUID guid, ITfDisplayAttributeInfo** out);

// Registers the three GUIDs with the category manager, atoms in Input, Converted, None order;
// atoms stay TF_INVALID_GUIDATOM where it fails. A null manager does nothing.
void RegisterAttributeAtoms(ITfCategoryMgr* categories, TfGuidAtom (&atoms)[kAttributeKinds]);
