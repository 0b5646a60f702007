// File fixtures for tests: scratch folders and whole-file reads and writes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under %TEMP%, removed with its content at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool DirExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);
std::string Narrow(const std::wstring& w);  // UTF-8
// A fresh GUID as "{XXXXXXXX-...}".
std::wstring NewGuidText();
// Puts a copy of from at to for test programs running side by side: a target already holding
// the same bytes is left alone (another process may have it loaded), and a new copy is written
// beside it and renamed over it, so no process ever loads a half-written file.
bool PlaceCopy(const std::wstring& from, const std::wstring& to);
// from copied into the system folder as name (a module the registry names); its full path.
std::wstring PlaceSystemModule(const std::wstring& from, const std::wstring& name);

// Full path of this test executable.
std::wstring SelfPath();
// A file in this test executable's folder.
std::wstring Beside(const wchar_t* name);
// Runs this executable again with the given arguments; returns its exit code (or -1).
int RunSelf(const std::wstring& args, DWORD timeoutMs = 30000);

}  // namespace testing_support
