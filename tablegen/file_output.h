// Writing finished table files without leaving a half-written one behind.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Name of the work file a table is written to before it replaces its target.
std::wstring WorkFilePath(const std::wstring& target);
// Replaces target with the work file; 1 on success.
int CommitWorkFile(const std::wstring& target);
// Writes bytes to the work file and commits it; 1 on success.
int WriteTableFile(const std::wstring& target, const std::vector<uint8_t>& bytes);
