// The IMM32 IME exports of the library, as IMM32 calls them.
#pragma once
#include "textservice/imm/imm_driver.h"

extern "C" {
BOOL WINAPI ImeInquire(IMEINFO* info, wchar_t* className, DWORD flags);
BOOL WINAPI ImeConfigure(HKL hkl, HWND parent, DWORD mode, void* data);
DWORD WINAPI ImeConversionList(HIMC himc, const wchar_t* source, CANDIDATELIST* out, DWORD bytes,
                               UINT flag);
BOOL WINAPI ImeDestroy(UINT reserved);
UINT WINAPI ImeEnumRegisterWord(REGISTERWORDENUMPROCW callback, const wchar_t* reading, DWORD style,
                                const wchar_t* word, void* data);
LRESULT WINAPI ImeEscape(HIMC himc, UINT code, void* data);
UINT WINAPI ImeGetRegisterWordStyle(UINT count, STYLEBUFW* styles);
BOOL WINAPI ImeProcessKey(HIMC himc, UINT virtualKey, LPARAM lParam, const BYTE* keyState);
BOOL WINAPI ImeRegisterWord(const wchar_t* reading, DWORD style, const wchar_t* word);
BOOL WINAPI ImeSelect(HIMC himc, BOOL select);
BOOL WINAPI ImeSetActiveContext(HIMC himc, BOOL active);
BOOL WINAPI ImeSetCompositionString(HIMC himc, DWORD index, void* comp, DWORD compBytes, void* read,
                                    DWORD readBytes);
UINT WINAPI ImeToAsciiEx(UINT virtualKey, UINT scanCode, const BYTE* keyState,
                         TRANSMSGLIST* transBuf, UINT state, HIMC himc);
BOOL WINAPI ImeUnregisterWord(const wchar_t* reading, DWORD style, const wchar_t* word);
BOOL WINAPI NotifyIME(HIMC himc, DWORD action, DWORD index, DWORD value);
}
