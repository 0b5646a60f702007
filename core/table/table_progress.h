// Progress reports of the table tools.
#pragma once
#include <cstdint>

// (text or none, done, total).
using TableProgressHook = void (*)(const wchar_t* text, int32_t done, int32_t total);
