// The configuration program's command line: "/n GUID", then "/do target", "/showurl address"
// (with "/showurlCX width" and "/showurlCY height"), or "/dict word" (with "/currver ver").
#pragma once
#include <cstdint>

constexpr int kStartGuidUnits = 40;
constexpr int kStartTargetUnits = 256;
constexpr int kStartArgumentUnits = 256;
constexpr int kStartVersionUnits = 40;
constexpr int kStartNumberUnits = 40;

struct StartArguments {
    wchar_t guidText[kStartGuidUnits];
    wchar_t target[kStartTargetUnits];  // "/do" value, or "showurl" / "dict"
    wchar_t argument[kStartArgumentUnits];
    wchar_t versionText[kStartVersionUnits];
    int32_t viewWidth, viewHeight;  // -1 when absent
    int32_t viewLeft, viewTop;      // -1: the viewer places itself
};

// Copies one value from source into destination (capacity units, at most capacity - 1 kept,
// always terminated): a value opened by a double quote or an apostrophe runs to the next
// quote of either kind or the end, any other value to the next blank or the end. Returns the
// number of source units the value takes (a closing quote included).
int CopyArgumentToken(const wchar_t* source, wchar_t* destination, int capacity);

// Fills args from the whole command line. Keys are read left to right, each where a token
// starts (at the start or after a blank), and the first of each key counts; a value is
// never searched for keys. "/showurl" wins over "/do" and hides "/dict" and "/currver";
// "/dict" takes the rest of the line up to a following "/currver", its word unquoted when
// the rest is quoted as a whole, so a word holding quotes or blanks arrives whole.
void ParseConfigCommandLine(const wchar_t* commandLine, StartArguments& args);
