// The engine record: one zeroed heap record per text service, input context or
// configuration program, with the same layout in every deliverable.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine_runtime.h"
#include "core/record/engine_shared.h"

constexpr int kRecentOutputUnits = 128;

// A key as the front ends ask about it: its functions and its text (null when none; a text
// beginning with "键" names a key without a character of its own).
struct KeyInput {
    KeyFunctionMask action;
    const wchar_t* text;
};

struct Engine : EngineRuntime, EngineShared {
    // Shared opener.
    static bool OpenTables(Engine* engine);
    static void CloseTables(Engine* engine);
    static bool FindSettingsBlocks(Engine* engine);
    static void RefreshTables(Engine* engine);
    static int GetRecentOutput(Engine* engine, int count, wchar_t (&out)[kRecentOutputUnits]);

    // Configuration program's record.
    // Null on any failure, with nothing left open or loaded.
    static Engine* CreateForConfig(const wchar_t* guidText);
    static void DestroyForConfig(Engine* engine);

    // Input method's record.
    static Engine* Create();
    static void Destroy(Engine* engine);
    static void ResetInput(Engine* engine);
    static int SetOpenStatus(Engine* engine, bool open);
    static int SetTraditionalOutput(Engine* engine, bool on);

    // Key decision and code editing (engine/key_decision.cpp, engine/code_edit.cpp,
    // engine/candidate_pick.cpp).
    static int ClassifyInputChar(Engine* engine, wchar_t ch);
    static int ClassifySelectKey(Engine* engine);
    static bool IsKeyEaten(Engine* engine, const KeyInput& key);
    static void InsertKeyChar(Engine* engine);
    static int DeleteBeforeCaret(Engine* engine);
    static int DeleteAfterCaret(Engine* engine);
    static int EditCode(Engine* engine, uint32_t vk);
    static int64_t SelectCandidate(Engine* engine, int selector);
    static int ReplayBackspaces(Engine* engine, int count);

    // Candidate-menu edits of the main-table entry behind page row (0-based) (engine/
    // entry_operations.cpp). 1 when an entry's flags changed and the list needs a new lookup.
    static int EntryOperation(Engine* engine, HWND owner, int row, int operation);
};
