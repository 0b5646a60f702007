// Services of the command executors that other parts of the input method provide. Each
// slot may stay null: the command then does nothing.
#pragma once
#include <windows.h>

struct Engine;

struct CommandHooks {
    // Applies one settings line ("set(" text) to the settings blocks; 1 when applied.
    int (*applySettingLine)(Engine* engine, const wchar_t* line);
    // The soft-keyboard command of the front end with the "skbd(" argument.
    int (*softKeyboardCommand)(Engine* engine, const wchar_t* argument);
    // Decodes a PNG or BMP file into a bitmap the caller owns; null on failure.
    HBITMAP (*decodeImageFile)(const wchar_t* path);
};

const CommandHooks& CommandHookTable();
// Installs the table (kept by pointer); null restores the empty one.
void SetCommandHooks(const CommandHooks* hooks);
