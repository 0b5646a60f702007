#include "installer/install/account_access.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

constexpr DWORD kReadExecute = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
constexpr DWORD kModify = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;

// S-1-15-2-1: ALL APPLICATION PACKAGES (mingw's headers know no well-known type for it).
bool AllApplicationPackagesSid(BYTE (&sid)[SECURITY_MAX_SID_SIZE]) {
    SID_IDENTIFIER_AUTHORITY appPackage = {{0, 0, 0, 0, 0, 15}};
    PSID built = nullptr;
    if (!AllocateAndInitializeSid(&appPackage, 2, 2, 1, 0, 0, 0, 0, 0, 0, &built)) return false;
    bool ok = CopySid(SECURITY_MAX_SID_SIZE, sid, built) != 0;
    FreeSid(built);
    return ok;
}

bool EveryoneSid(BYTE (&sid)[SECURITY_MAX_SID_SIZE]) {
    DWORD size = SECURITY_MAX_SID_SIZE;
    return CreateWellKnownSid(WinWorldSid, nullptr, sid, &size) != 0;
}

}  // namespace

PACL BuildAccessAcl(PACL oldAcl, AccessKind kind, bool inherit) {
    BYTE packages[SECURITY_MAX_SID_SIZE], everyone[SECURITY_MAX_SID_SIZE];
    if (!AllApplicationPackagesSid(packages) || !EveryoneSid(everyone)) return nullptr;
    EXPLICIT_ACCESSW entries[2] = {};
    int count = 0;
    auto add = [&](PSID sid, DWORD rights) {
        EXPLICIT_ACCESSW& e = entries[count++];
        e.grfAccessPermissions = rights;
        e.grfAccessMode = SET_ACCESS;  // replaces this account's explicit entries
        e.grfInheritance = inherit ? (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) : NO_INHERITANCE;
        e.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        e.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        e.Trustee.ptstrName = static_cast<LPWSTR>(sid);
    };
    if (kind == AccessKind::kCode) {
        add(packages, kReadExecute);
    } else {
        add(everyone, kModify);
        add(packages, kModify);
    }
    PACL acl = nullptr;
    if (SetEntriesInAclW(count, entries, oldAcl, &acl) != ERROR_SUCCESS) return nullptr;
    return acl;
}

GrantResult GrantAccountAccess(const wchar_t* path, AccessKind kind) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GrantResult::kFailed;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD rc = GetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                     nullptr, &dacl, nullptr, &descriptor);
    if (rc == ERROR_NOT_SUPPORTED || rc == ERROR_INVALID_FUNCTION) return GrantResult::kNoAcls;
    if (rc != ERROR_SUCCESS) return GrantResult::kFailed;
    bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    PACL acl = BuildAccessAcl(dacl, kind, folder);
    GrantResult result = GrantResult::kFailed;
    if (acl) {
        rc = SetNamedSecurityInfoW(const_cast<LPWSTR>(path), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
        if (rc == ERROR_SUCCESS) {
            result = GrantResult::kGranted;
        } else if (rc == ERROR_NOT_SUPPORTED || rc == ERROR_INVALID_FUNCTION) {
            result = GrantResult::kNoAcls;
        }
        LocalFree(acl);
    }
    LocalFree(descriptor);
    return result;
}
