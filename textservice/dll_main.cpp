// Entry point and COM exports of the input method library.
#include <windows.h>
#include <objbase.h>

#include "core/base/boundary_guard.h"
#include "textservice/class_factory.h"
#include "textservice/command_hook_table.h"
#include "textservice/export/exported_object.h"
#include "textservice/object_count.h"
#include "textservice/window_classes.h"
#include "ui/windows/engine_ui_hooks.h"

namespace {

// Process attach (reason 1) and detach (reason 0); thread notifications need nothing.
BOOL DllMainProcessAttachDetach(HINSTANCE instance, DWORD reason, void* reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            dllInstance = instance;
            if (!CreateLibraryLock()) return FALSE;
            if (!RegisterUIWindowClasses(instance)) {
                DeleteLibraryLock();
                return FALSE;
            }
            InstallInputMethodCommandHooks();
            InstallEngineUIHooks();
            return TRUE;
        case DLL_PROCESS_DETACH:
            // At process exit the heap goes anyway; on an unload a lingering factory is freed.
            if (!reserved) FreeClassFactory();
            DeleteLibraryLock();
            UnregisterUIWindowClasses(instance);
            return TRUE;
        default:
            return TRUE;
    }
}

}  // namespace

// One body for the exports that need no work.
extern "C" HRESULT STDAPICALLTYPE StubReturnZero() { return S_OK; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
    return Guarded<BOOL>(FALSE,
                         [&] { return DllMainProcessAttachDetach(instance, reason, reserved); });
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** out) {
    return GetClassObject(&classId, &iid, out);
}

STDAPI DllCanUnloadNow() { return ObjectCountValue() < 0 ? S_OK : S_FALSE; }

extern "C" int WINAPI KXITFGetObject(uint64_t kind, void** out) {
    return GetExportedObject(kind, out);
}
