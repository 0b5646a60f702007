// What the advanced settings editor decides: the backup folder and file names, the colours of
// a line, find-next with one wrap, the editor's text limit, its keys, and saving a settings
// text into the live blocks with the installer's framework switch.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/base/path_util.h"
#include "core/settings/option_codec.h"

struct Engine;

constexpr COLORREF kCommentColour = 0x008000;
constexpr COLORREF kPlainColour = 0;
constexpr COLORREF kValueColour = 0xFF0000;
constexpr int kColourLineUnits = 512;  // a line is coloured by its first 512 units

// Up to two spans of one line: [start, start + length) in colour.
struct ColourSpan {
    int start;
    int length;
    COLORREF colour;
};
struct LineColours {
    int count;
    ColourSpan spans[2];
};
// "//" lines are comments, "[-" lines section names, "key=value" lines black up to and
// including the '=' (at least two characters) and the value in kValueColour.
LineColours ColourLine(std::wstring_view line);

// "[ product ]" inside the documents folder (a backslash added when missing); false and
// empty when there is no documents folder or the path does not fit.
bool BackupFolder(const wchar_t* documents, const wchar_t* productName, wchar_t (&out)[kPathChars]);
// The chosen path in ASCII lower case, its ".txt" ending made ".kxconfig.txt" (or that
// appended); false when it does not fit.
bool BackupFileName(const wchar_t* chosen, wchar_t (&out)[kPathChars]);

// One find-next: find(from) gives the position of the next match at or after from, or -1.
// A search from a later start that finds nothing wraps once to the start of the text.
struct FindStep {
    int match;      // -1: not found from the start either
    int nextStart;  // the next search starts at the end of this match (or 0 after a miss)
};
FindStep FindNextWithWrap(int start, int needleLength, const std::function<int(int)>& find);

// The editor's text limit for a text of length units: always room for the whole text and
// for typing more, never below the control's default.
int EditorTextLimit(size_t length);

enum class EditorKey { None, FocusFind, FindNext };
// Ctrl+F gives the find box the focus; Ctrl+K and F3 find the next match.
EditorKey EditorKeyOf(WPARAM vk, bool ctrl, bool alt, bool shift);

// Parameters of the installer that switches the framework when a save changed the window
// style bits (mask 0x7000) of the ime block's options; false (nothing to start) when they
// did not change.
bool EmModeParameters(uint32_t before, uint32_t after, const wchar_t* guidText,
                      wchar_t (&out)[128]);

// Imports text into the engine's ime, dme and skin blocks (through codec when given) and
// says whether the installer must switch the framework (its parameters in emMode).
struct SaveOutcome {
    bool imported;
    bool switchFramework;
};
SaveOutcome SaveSettingsIntoBlocks(Engine* engine, const wchar_t* text,
                                   const OptionSectionCodec* codec, wchar_t (&emMode)[128]);
