// One dialog of a kind: raising an open one, and handing a word to an open dictionary.
#pragma once
#include <windows.h>

constexpr int kDictionaryWordUnits = 256;

// The top-level dialog with this title restored, brought to the front and made foreground;
// false when none is open.
bool BringDialogToFront(const wchar_t* title);

// Sends word (at most 255 units) to the window by WM_COPYDATA: dwData 0, the units and their
// terminator; waits at most five seconds for a receiver that hangs. False when not delivered.
bool SendWordByCopyData(HWND receiver, const wchar_t* word);
// The word of a received WM_COPYDATA (dwData 0): at most cbData / 2 units and 255, up to its
// first terminator, always terminated; false (out empty) for anything else.
bool ReadCopiedWord(const COPYDATASTRUCT* data, wchar_t (&out)[kDictionaryWordUnits]);
