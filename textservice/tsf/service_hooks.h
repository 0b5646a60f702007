// Where the text service meets the parts built beside it: the candidate-list element, the
// language-bar buttons, the service actions and the skinned windows fill these slots. Every
// slot may stay null: the service then goes without that part. Tests replace the seams.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine.h"
#include "textservice/tsf/tsf_compat.h"

class CTextService;

struct TextServiceHooks {
    // Language-bar buttons, added at the last step of the activation: 1 when they are up
    // (0 fails the activation), removed at deactivation, refreshed on mode changes.
    int (*addLanguageBarButtons)(CTextService* service);
    void (*removeLanguageBarButtons)(CTextService* service);
    void (*refreshLanguageBar)(CTextService* service);
    // Candidate-list element of a composing context: shown or refreshed after a candidate
    // change inside the session ec; ended with the composition.
    void (*updateCandidateList)(CTextService* service, TfEditCookie ec, ITfContext* context);
    void (*endCandidateList)(CTextService* service);
    // Skinned windows: the state tip at a screen point and its end, the status window on
    // thread focus, the windows on document focus, the candidate window placed below a caret
    // rectangle (screen) or hidden, and the end of every window at deactivation.
    void (*showStateTip)(CTextService* service, POINT at, const wchar_t* text);
    void (*hideTip)(Engine* engine);
    void (*threadFocus)(CTextService* service, bool gained);
    void (*documentFocus)(CTextService* service, bool hasDocument);
    void (*placeCandidateWindow)(Engine* engine, const RECT& caret);
    void (*hideCandidateWindow)(Engine* engine);
    void (*destroyWindows)(Engine* engine);
    // The soft keyboard with layout 1-13 (the engine's layout record is set), or hidden.
    void (*showSoftKeyboard)(CTextService* service, uint32_t layout);
    void (*hideSoftKeyboard)(CTextService* service);
    // ImeConfigData.options bit 0x100 (hide the status bar) changed.
    void (*interfaceToggled)(CTextService* service);
};
const TextServiceHooks& ServiceHooks();
// Installs the table (kept by pointer); null restores the library's own table.
void SetServiceHooks(const TextServiceHooks* hooks);
// The library's own table, which the parts beside the service fill with their slots.
TextServiceHooks& DefaultServiceHooks();

// Platform seams of the service; null slots use the real call.
struct TextServiceSeams {
    Engine* (*createEngine)();
    void (*destroyEngine)(Engine* engine);
    // The category manager for the attribute atoms (CoCreateInstance of CLSID_TF_CategoryMgr).
    HRESULT (*createCategoryMgr)(ITfCategoryMgr** out);
    // Windows version as major * 256 + minor (the engine's OS version).
    uint32_t (*windowsVersion)(const Engine* engine);
    // The configuration program with a request ("" the main page); 1 when started.
    int (*launchConfig)(Engine* engine, const wchar_t* request, HWND owner);
    // Edit-session flags the service asks with besides TF_ES_READWRITE (0: the framework may
    // run the session at once or later).
    DWORD sessionFlags;
};
const TextServiceSeams& ServiceSeams();
void SetServiceSeams(const TextServiceSeams* seams);
