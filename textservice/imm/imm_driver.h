// The IME side of IMM32 that the mingw-w64 headers leave out: the input-context record and
// its memory blocks, the message buffer entry, the IME information record and the imm32
// calls that lock them. Declared from the published IMM32 definitions.
#pragma once
#include <windows.h>
#include <imm.h>

#include <cstddef>

// HIMCC itself comes with <imm.h>.

struct INPUTCONTEXT {
    HWND hWnd;
    BOOL fOpen;
    POINT ptStatusWndPos;
    POINT ptSoftKbdPos;
    DWORD fdwConversion;
    DWORD fdwSentence;
    union {
        LOGFONTA A;
        LOGFONTW W;
    } lfFont;
    COMPOSITIONFORM cfCompForm;
    CANDIDATEFORM cfCandForm[4];
    HIMCC hCompStr;
    HIMCC hCandInfo;
    HIMCC hGuideLine;
    HIMCC hPrivate;
    DWORD dwNumMsgBuf;
    HIMCC hMsgBuf;
    DWORD fdwInit;
    DWORD dwReserve[3];
};

struct COMPOSITIONSTRING {
    DWORD dwSize;
    DWORD dwCompReadAttrLen;
    DWORD dwCompReadAttrOffset;
    DWORD dwCompReadClauseLen;
    DWORD dwCompReadClauseOffset;
    DWORD dwCompReadStrLen;
    DWORD dwCompReadStrOffset;
    DWORD dwCompAttrLen;
    DWORD dwCompAttrOffset;
    DWORD dwCompClauseLen;
    DWORD dwCompClauseOffset;
    DWORD dwCompStrLen;
    DWORD dwCompStrOffset;
    DWORD dwCursorPos;
    DWORD dwDeltaStart;
    DWORD dwResultReadClauseLen;
    DWORD dwResultReadClauseOffset;
    DWORD dwResultReadStrLen;
    DWORD dwResultReadStrOffset;
    DWORD dwResultClauseLen;
    DWORD dwResultClauseOffset;
    DWORD dwResultStrLen;
    DWORD dwResultStrOffset;
    DWORD dwPrivateSize;
    DWORD dwPrivateOffset;
};

struct CANDIDATEINFO {
    DWORD dwSize;
    DWORD dwCount;
    DWORD dwOffset[32];
    DWORD dwPrivateSize;
    DWORD dwPrivateOffset;
};

struct TRANSMSG {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct TRANSMSGLIST {
    UINT uMsgCount;
    TRANSMSG TransMsg[1];
};

struct IMEINFO {
    DWORD dwPrivateDataSize;
    DWORD fdwProperty;
    DWORD fdwConversionCaps;
    DWORD fdwSentenceCaps;
    DWORD fdwUICaps;
    DWORD fdwSCSCaps;
    DWORD fdwSelectCaps;
};

// Window-extra index of the UI window's input context, and of a spare slot.
constexpr int IMMGWLP_IMC = 0;
constexpr int IMMGWLP_PRIVATE = static_cast<int>(sizeof(LONG_PTR));

constexpr DWORD IME_PROP_KBD_CHAR_FIRST = 0x00000002;
constexpr DWORD NI_CONTEXTUPDATED = 0x0003;
constexpr DWORD IMC_SETCONVERSIONMODE = 0x0002;
constexpr DWORD IMC_SETSENTENCEMODE = 0x0003;
constexpr DWORD IMC_SETOPENSTATUS = 0x0006;

extern "C" {
INPUTCONTEXT* WINAPI ImmLockIMC(HIMC himc);
BOOL WINAPI ImmUnlockIMC(HIMC himc);
HIMCC WINAPI ImmCreateIMCC(DWORD size);
HIMCC WINAPI ImmDestroyIMCC(HIMCC block);
LPVOID WINAPI ImmLockIMCC(HIMCC block);
BOOL WINAPI ImmUnlockIMCC(HIMCC block);
HIMCC WINAPI ImmReSizeIMCC(HIMCC block, DWORD size);
DWORD WINAPI ImmGetIMCCSize(HIMCC block);
BOOL WINAPI ImmGenerateMessage(HIMC himc);
DWORD WINAPI ImmGetIMCLockCount(HIMC himc);
}

// Layouts of the published definitions on both targets.
#ifdef _WIN64
static_assert(offsetof(INPUTCONTEXT, fOpen) == 8);
static_assert(offsetof(INPUTCONTEXT, fdwConversion) == 28);
static_assert(offsetof(INPUTCONTEXT, lfFont) == 36);
static_assert(offsetof(INPUTCONTEXT, cfCompForm) == 128);
static_assert(offsetof(INPUTCONTEXT, cfCandForm) == 156);
static_assert(offsetof(INPUTCONTEXT, hCompStr) == 288);
static_assert(offsetof(INPUTCONTEXT, hPrivate) == 312);
static_assert(offsetof(INPUTCONTEXT, dwNumMsgBuf) == 320);
static_assert(offsetof(INPUTCONTEXT, hMsgBuf) == 328);
static_assert(offsetof(INPUTCONTEXT, fdwInit) == 336);
static_assert(sizeof(INPUTCONTEXT) == 352);
static_assert(sizeof(TRANSMSG) == 24);
#else
static_assert(offsetof(INPUTCONTEXT, fOpen) == 4);
static_assert(offsetof(INPUTCONTEXT, fdwConversion) == 24);
static_assert(offsetof(INPUTCONTEXT, lfFont) == 32);
static_assert(offsetof(INPUTCONTEXT, cfCompForm) == 124);
static_assert(offsetof(INPUTCONTEXT, cfCandForm) == 152);
static_assert(offsetof(INPUTCONTEXT, hCompStr) == 280);
static_assert(offsetof(INPUTCONTEXT, hPrivate) == 292);
static_assert(offsetof(INPUTCONTEXT, dwNumMsgBuf) == 296);
static_assert(offsetof(INPUTCONTEXT, hMsgBuf) == 300);
static_assert(offsetof(INPUTCONTEXT, fdwInit) == 304);
static_assert(sizeof(INPUTCONTEXT) == 320);
static_assert(sizeof(TRANSMSG) == 12);
#endif
static_assert(sizeof(COMPOSITIONSTRING) == 100);
static_assert(offsetof(COMPOSITIONSTRING, dwCompStrOffset) == 48);
static_assert(offsetof(COMPOSITIONSTRING, dwCursorPos) == 52);
static_assert(offsetof(COMPOSITIONSTRING, dwResultStrLen) == 84);
static_assert(offsetof(COMPOSITIONSTRING, dwPrivateOffset) == 96);
static_assert(sizeof(CANDIDATEINFO) == 144);
static_assert(offsetof(CANDIDATEINFO, dwPrivateOffset) == 140);
static_assert(sizeof(IMEINFO) == 28);
static_assert(offsetof(CANDIDATELIST, dwOffset) == 24);
