// The machine's operations left for the next restart (PendingFileRenameOperations): our own
// deletions of files that a new install puts back are taken out again, or the restart would
// delete the fresh install.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The list without every deletion (a pair whose second text is empty) of a file that is one
// of files or lies in one of folders (each with a trailing '\'); case ignored, "\??\"
// prefixes allowed. Renames and others' deletions stay.
std::vector<std::wstring> WithoutOurDeletions(const std::vector<std::wstring>& pairs,
                                              const std::vector<std::wstring>& files,
                                              const std::vector<std::wstring>& folders);

// The machine's list as its texts (pairs of source and target), and written back (deleted
// when empty).
std::vector<std::wstring> ReadPendingOperations();
bool WritePendingOperations(const std::vector<std::wstring>& pairs);

// Takes our deletions of files and folders out of the machine's list; true when the list
// changed.
bool CancelOurPendingDeletions(const std::vector<std::wstring>& files,
                               const std::vector<std::wstring>& folders);
