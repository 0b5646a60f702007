// Library-wide state: the instance handle, the object count and the library lock.
#pragma once
#include <windows.h>

// The library's instance handle, kept at process attach.
extern HINSTANCE dllInstance;

// Live COM objects and server locks; -1 means nothing is alive.
constexpr LONG kObjectCountIdle = -1;

// Atomic changes of the object count; each returns the new value.
LONG ObjectCountIncrement();
LONG ObjectCountDecrement();
LONG ObjectCountValue();

// The library critical section (spin count 0). Create returns 1 on success, 0 on failure.
int CreateLibraryLock();
void DeleteLibraryLock();

// Holds the library critical section for one scope (does nothing when it was never created).
class LibraryLockScope {
public:
    LibraryLockScope();
    ~LibraryLockScope();
    LibraryLockScope(const LibraryLockScope&) = delete;
    LibraryLockScope& operator=(const LibraryLockScope&) = delete;

private:
    bool held_;
};
