// Access of other accounts to the installed files, granted by well-known SIDs. Code (the
// IME files, the install folder) keeps its inherited ACL plus read and execute for ALL
// APPLICATION PACKAGES, so sandboxed applications can load the input method. Only the data
// folder is writable by everyone, because every process using the input method writes its
// tables in place.
#pragma once
#include <windows.h>

enum class AccessKind {
    kCode,  // ALL APPLICATION PACKAGES: read and execute
    kData,  // Everyone and ALL APPLICATION PACKAGES: read, write, execute, delete
};

enum class GrantResult {
    kGranted,
    kNoAcls,  // the volume keeps no ACLs: nothing to grant
    kFailed,
};

// The ACL of oldAcl (may be null) with the accounts of kind set: their explicit entries
// replaced by one allowing entry each (inherited by sub-folders and files when inherit),
// other explicit entries first, inherited ones last. Null when it cannot be built; free it
// with LocalFree.
PACL BuildAccessAcl(PACL oldAcl, AccessKind kind, bool inherit);

// Sets the accounts of kind on path's DACL.
GrantResult GrantAccountAccess(const wchar_t* path, AccessKind kind);
