// Deleting a folder with everything below it, in this process.
#pragma once

enum class FolderDeleteResult {
    kGone,       // the folder is gone (or was never there)
    kAtRestart,  // what is left is marked for deletion at the next restart
    kLeft,       // something could not be deleted
    kRefused,    // not an absolute folder below a drive or share root
};

// Deletes path depth first: read-only files too; links to other folders are removed as links,
// never entered. With delayIfBusy, what cannot be deleted now (and then the folders above it)
// is marked for deletion at restart. A current directory inside the tree is moved out first.
FolderDeleteResult DeleteFolderTree(const wchar_t* path, bool delayIfBusy);
