// Building list tables (sysl.dmg, engl.dmg) from plain lists of texts, one per line.
#pragma once
#include <cstdint>

// (text or none, done, total). While reading the list: (none, percent read, 100); while
// writing: (none, entries written, entry count).
using ListProgressHook = void (*)(const wchar_t* text, int32_t done, int32_t total);

// Name of the work file in %TEMP% that a rebuild builds into; removed after use.
constexpr const wchar_t* kListWorkFileName = L"__templx_.dmg";

// Builds a list table at outPath from the list text at textPath. Lines end at CR, LF or
// NUL; "//" starts a comment, "///" stands for a text starting with "//". Repeated texts
// count once (the first occurrence); texts with broken surrogates are skipped.
// firstHasHash, when given, tells whether the first text contains '#'.
// 1 when a table was written; 0 when the text cannot be read, gives no text, runs out of
// memory or the output cannot be written (no output file is left then).
int BuildWordTableFile(const wchar_t* textPath, const wchar_t* outPath, ListProgressHook progress,
                       bool* firstHasHash);

// Rebuilds the list table at targetPath in place from the list text at textPath: builds
// into %TEMP%\__templx_.dmg and copies it over the start of the target, growing a shorter
// target first. A longer target keeps its length. Refuses a target that opens only as a
// private memory copy. 1 on success, 0 on failure (the target is untouched when the
// failure comes before the copy).
int RebuildListTableFromText(const wchar_t* targetPath, const wchar_t* textPath, bool* firstHasHash,
                             ListProgressHook progress);
