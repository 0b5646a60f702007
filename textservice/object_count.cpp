#include "textservice/object_count.h"

HINSTANCE dllInstance = nullptr;

namespace {

volatile LONG objectCount = kObjectCountIdle;
CRITICAL_SECTION libraryLock;
bool libraryLockReady = false;

}  // namespace

LONG ObjectCountIncrement() { return InterlockedIncrement(&objectCount); }

LONG ObjectCountDecrement() { return InterlockedDecrement(&objectCount); }

LONG ObjectCountValue() { return InterlockedCompareExchange(&objectCount, 0, 0); }

int CreateLibraryLock() {
    if (libraryLockReady) return 1;
    if (!InitializeCriticalSectionAndSpinCount(&libraryLock, 0)) return 0;
    libraryLockReady = true;
    return 1;
}

void DeleteLibraryLock() {
    if (!libraryLockReady) return;
    libraryLockReady = false;
    DeleteCriticalSection(&libraryLock);
}

LibraryLockScope::LibraryLockScope() : held_(libraryLockReady) {
    if (held_) EnterCriticalSection(&libraryLock);
}

LibraryLockScope::~LibraryLockScope() {
    if (held_) LeaveCriticalSection(&libraryLock);
}
