// The five skinned window classes, registered while the module is attached to a process.
#pragma once
#include <windows.h>

constexpr wchar_t kCandidateClass[] = L"QLKXSKIN_CAND";
constexpr wchar_t kStatusClass[] = L"QLKXSKIN_STATUS";
constexpr wchar_t kSoftKeyboardClass[] = L"QLKXSKIN_SKBD";
constexpr wchar_t kTipClass[] = L"QLKXSKIN_TIPS";
constexpr wchar_t kDictClass[] = L"QLKXSKIN_DICT";

constexpr wchar_t kCandidateTitle[] = L"Dudidered_avov";
constexpr wchar_t kStatusTitle[] = L"status";
constexpr wchar_t kSoftKeyboardTitle[] = L"skbd";
constexpr wchar_t kTipTitle[] = L"tips";
constexpr wchar_t kDictTitle[] = L"public_dict";

constexpr int kSkinWindowExtraBytes = 12;

// Registers the classes in order; false at the first failure.
bool RegisterSkinWindowClasses(HINSTANCE module);
void UnregisterSkinWindowClasses(HINSTANCE module);

// Window procedures of the five classes. The candidate window's is in ui/candidate; the
// others are filled in by their windows' code.
LRESULT CALLBACK CandidateWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StatusWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK SoftKeyboardWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TipWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DictWndProc(HWND, UINT, WPARAM, LPARAM);
