// Recognising a picked command row: the action for the front end and its argument.
#pragma once
#include "core/record/engine.h"

// InputState::pickedAction of command rows; bit 0x2000 runs the command after the commit.
constexpr uint32_t kActionRunAfterCommit = 0x2000;
constexpr uint32_t kActionCommitPicked = 0x1000;
constexpr uint32_t kActionNewKey = 0x4000;
constexpr uint32_t kActionRun = 0x12000;
constexpr uint32_t kActionConfig = 0x22000;
constexpr uint32_t kActionHelp = 0x42000;
constexpr uint32_t kActionKeyboard = 0x82000;
constexpr uint32_t kActionKeyboardAfterText = 0x83000;
constexpr uint32_t kActionConvert = 0x102000;
constexpr uint32_t kActionSet = 0x202000;
constexpr uint32_t kActionSoftKeyboard = 0x402000;
constexpr uint32_t kActionReadFile = 0x802000;

// Command bits of pickedAction.
constexpr uint32_t kRunBitOpen = 0x10000;
constexpr uint32_t kRunBitConfig = 0x20000;
constexpr uint32_t kRunBitHelp = 0x40000;
constexpr uint32_t kRunBitKeyboard = 0x80000;
constexpr uint32_t kRunBitConvert = 0x100000;
constexpr uint32_t kRunBitSet = 0x200000;
constexpr uint32_t kRunBitSoftKeyboard = 0x400000;
constexpr uint32_t kRunBitReadFile = 0x800000;

// The argument of command (between its first "(" and last ")") into out, with a leading
// "%apppath%" replaced by the install folder and an "http://" address percent-encoded.
// Returns the length of the command up to its last ")", 0 without "(" or ")".
int ExtractCommandArgument(Engine* engine, const wchar_t* command,
                           wchar_t (&out)[kCommandArgumentUnits]);

// Turns the picked row (1..10) into a command when commands are enabled and the row came
// from a command entry; otherwise the picked text stays. Returns the action set (0: none).
uint32_t RunCandidateCommand(Engine* engine, int64_t row);
