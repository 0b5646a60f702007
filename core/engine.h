// The engine record: one zeroed heap record per text service, input context or
// configuration program, with the same layout in every deliverable.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/engine_runtime.h"
#include "core/engine_shared.h"

constexpr int kRecentOutputUnits = 128;

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
};
