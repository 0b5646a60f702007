// Saving the user's own words and settings of an installed product as text files in the
// Documents folder before its tables go, and taking the words back into new tables.
#pragma once
#include <windows.h>

#include <string>

#include "installer/install/environment.h"

enum class BackupStatus {
    kNothingInstalled,  // no IME name, no data folder or no main table: nothing to save
    kNoUserWords,       // the table holds no user word: no word file (settings saved)
    kWordsSaved,        // the word file holds every user word
    kWordsNotSaved,     // the table holds user words but no word file could be written
};

struct BackupFiles {
    std::wstring folder;        // Documents\[ name ]\ (empty when not made)
    std::wstring wordFile;      // empty when none was written
    std::wstring settingsFile;  // empty when none was written
};

// The backup folder's name for a DisplayName: "[ name ]" with every character that a file
// name cannot hold replaced by '_'; "[ zan ]" for an empty name.
std::wstring BackupFolderName(const std::wstring& displayName);

// The date part of the backup files: "(y.m.d)" of the UTC day.
std::wstring BackupDateText(const SYSTEMTIME& utc);

// Saves the user words (class 2 of main.dmg) and the settings text of the installed product
// of guidText. With an owner, a saved word file is offered to be shown in Explorer under
// caption.
BackupStatus BackupUserData(InstallEnvironment& env, HWND owner, const wchar_t* caption,
                            const wchar_t* guidText, BackupFiles* files);

// Imports a saved word file into the main.dmg of dataFolder as user words. Returns the words
// added, or -1 when the file or table cannot be used.
int RestoreUserWords(const wchar_t* dataFolder, const wchar_t* wordFile);
