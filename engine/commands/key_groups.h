// Key groups of the "keyboard(" command: "<key>", "<key*count>", "<key+Ctrl+Shift>".
#pragma once
#include <cstdint>

constexpr int kMaxKeyRepeat = 50;  // repeat counts above this are cut to it

// Plays every key group of the argument (from "keyboard(" or its text after "(") up to
// ")" or "," through the platform's key events. Returns the groups played.
int PlayKeyGroups(const wchar_t* argument);
