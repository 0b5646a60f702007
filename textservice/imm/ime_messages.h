// IME messages towards the application: appended to the context's message buffer and
// delivered with ImmGenerateMessage, one at a time, and the fixed groups of them.
#pragma once
#include "textservice/imm/ime_context_lock.h"

// Private WM_IME_NOTIFY codes of the UI window.
constexpr WPARAM kNotifyRefreshStatus = 0x100;
constexpr WPARAM kNotifyPlaceCandidates = 0x200;
constexpr WPARAM kNotifyCandidatesClosed = 0x300;
constexpr WPARAM kNotifyHotkeys = 0x400;

constexpr LPARAM kCompositionUpdateFlags = 0x1BF;
constexpr LPARAM kCompositionResultFlags = 0x19BF;

// Appends one message and delivers the buffer. The result of ImmGenerateMessage; 0 (the
// message dropped) when the context has no window or the buffer cannot be had.
BOOL GenerateImeMessage(const ImeContextLock& lock, UINT message, WPARAM wParam, LPARAM lParam);
BOOL GenerateImeMessage(HIMC himc, UINT message, WPARAM wParam, LPARAM lParam);

// The fixed groups.
void SendStartGroup(const ImeContextLock& lock);
void SendCompositionGroup(const ImeContextLock& lock);
void SendResultGroup(const ImeContextLock& lock);
void SendCandidatesShownGroup(const ImeContextLock& lock);
void SendPageChangeGroup(const ImeContextLock& lock);
void SendClearGroup(const ImeContextLock& lock, bool sendEnd);
void SendModeChangeGroup(const ImeContextLock& lock);
void SendCapsLockGroup(const ImeContextLock& lock);
