// The IMM32 IME exports of the library.
#include "textservice/imm/ime_exports.h"

#include <windows.h>

#include <cwchar>
#include <memory>

#include "core/base/boundary_guard.h"
#include "engine/commands/command_run.h"
#include "textservice/imm/ime_blocks.h"
#include "textservice/imm/ime_escape.h"
#include "textservice/imm/ime_input.h"
#include "textservice/imm/ime_key_path.h"
#include "textservice/imm/ime_notify.h"
#include "textservice/imm/ime_select.h"
#include "textservice/imm/ime_ui_window.h"
#include "textservice/imm/imm_driver.h"
#include "textservice/object_count.h"

namespace {

constexpr DWORD kImeProperty = IME_PROP_UNICODE | IME_PROP_SPECIAL_UI | IME_PROP_KBD_CHAR_FIRST;
constexpr DWORD kImeConversionCaps = IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE | IME_CMODE_CHARCODE |
                                     IME_CMODE_SOFTKBD | IME_CMODE_NOCONVERSION | IME_CMODE_SYMBOL;
static_assert(kImeProperty == 0xA0002);
static_assert(kImeConversionCaps == 0x5A9);

struct EngineDeleter {
    void operator()(Engine* e) const { Engine::Destroy(e); }
};

}  // namespace

extern "C" {

BOOL WINAPI ImeInquire(IMEINFO* info, wchar_t* className, DWORD) {
    return Guarded<BOOL>(FALSE, [&] {
        if (!info || !className) return FALSE;
        info->dwPrivateDataSize = kPrivateBlockBytes;
        info->fdwProperty = kImeProperty;
        info->fdwConversionCaps = kImeConversionCaps;
        info->fdwSentenceCaps = 0;
        info->fdwUICaps = UI_CAP_ROTANY;
        info->fdwSCSCaps = SCS_CAP_COMPSTR;
        info->fdwSelectCaps = SELECT_CAP_CONVERSION;
        RegisterImeUIClass(dllInstance);
        wcscpy(className, kImeUIClassName);
        return TRUE;
    });
}

BOOL WINAPI ImeConfigure(HKL, HWND, DWORD, void*) {
    return Guarded<BOOL>(FALSE, [&] {
        // Freed also when the launch throws.
        std::unique_ptr<Engine, EngineDeleter> e(Engine::Create());
        if (!e) return FALSE;
        LaunchConfigProgram(e.get(), L"");
        return FALSE;
    });
}

DWORD WINAPI ImeConversionList(HIMC, const wchar_t*, CANDIDATELIST*, DWORD, UINT) {
    return Guarded<DWORD>(0, [] { return DWORD{0}; });
}

BOOL WINAPI ImeDestroy(UINT) {
    return Guarded<BOOL>(TRUE, [] { return TRUE; });
}

UINT WINAPI ImeEnumRegisterWord(REGISTERWORDENUMPROCW, const wchar_t*, DWORD, const wchar_t*,
                                void*) {
    return Guarded<UINT>(0, [] { return 0u; });
}

LRESULT WINAPI ImeEscape(HIMC himc, UINT code, void* data) {
    return Guarded<LRESULT>(0, [&] { return ImeEscapeOn(himc, code, data); });
}

UINT WINAPI ImeGetRegisterWordStyle(UINT, STYLEBUFW*) {
    return Guarded<UINT>(0, [] { return 0u; });
}

BOOL WINAPI ImeProcessKey(HIMC himc, UINT virtualKey, LPARAM lParam, const BYTE*) {
    return Guarded<BOOL>(FALSE, [&] {
        ImeContextLock lock(himc);
        if (!lock.ready()) return FALSE;
        return ProcessImeKey(lock, virtualKey & 0xFF, lParam);
    });
}

BOOL WINAPI ImeRegisterWord(const wchar_t*, DWORD, const wchar_t*) {
    return Guarded<BOOL>(FALSE, [] { return FALSE; });
}

BOOL WINAPI ImeSelect(HIMC himc, BOOL select) {
    return Guarded<BOOL>(FALSE, [&] {
        if (select) {
            SelectContext(himc);
        } else {
            DeselectContext(himc);
        }
        return FALSE;
    });
}

BOOL WINAPI ImeSetActiveContext(HIMC himc, BOOL active) {
    return Guarded<BOOL>(TRUE, [&] {
        // The focus leaves: an open code ends with it; it comes back: the tables another
        // process grew meanwhile (a word added in the configuration program) are mapped
        // again. Both also where the UI window never hears WM_IME_SETCONTEXT, as under Wine.
        ImeContextLock lock(himc);
        if (!lock.ready()) return TRUE;
        if (active)
            Engine::RefreshTables(lock.engine());
        else
            ImeEndCompositionOnFocusLoss(lock);
        return TRUE;
    });
}

BOOL WINAPI ImeSetCompositionString(HIMC, DWORD, void*, DWORD, void*, DWORD) {
    return Guarded<BOOL>(FALSE, [] { return FALSE; });
}

UINT WINAPI ImeToAsciiEx(UINT, UINT, const BYTE*, TRANSMSGLIST*, UINT, HIMC himc) {
    return Guarded<UINT>(0, [&] {
        ImeContextLock lock(himc);
        if (!lock.ready()) return 0u;
        // With IME_PROP_KBD_CHAR_FIRST the high word carries the character.
        ConvertImeKey(lock);
        return 0u;
    });
}

BOOL WINAPI ImeUnregisterWord(const wchar_t*, DWORD, const wchar_t*) {
    return Guarded<BOOL>(FALSE, [] { return FALSE; });
}

BOOL WINAPI NotifyIME(HIMC himc, DWORD action, DWORD index, DWORD value) {
    return Guarded<BOOL>(FALSE, [&] { return NotifyImeOn(himc, action, index, value); });
}

}  // extern "C"
