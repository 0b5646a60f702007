// The installer's command line: switches read token by token from the arguments (never from
// the program's own path).
#pragma once
#include <string>
#include <vector>

#include "installer/app/installer_state.h"

// The arguments after the program name, split as the C runtime splits them (blanks
// separate, quotes group, backslashes escape a quote).
std::vector<std::wstring> SplitCommandArguments(const wchar_t* commandLine);

// The arguments after the program name as they stand in the command line (empty when none).
std::wstring ArgumentText(const wchar_t* commandLine);

enum class CommandLineResult {
    kOk,
    kBadGuid,      // "/n" without a GUID in registry form after it
    kMissingGuid,  // uninstall or repair without "/n"
};

// Fills mode, fromTemp, guidText and guid. Modes: "/u" "/r" "/z" "/g" (either case, also
// with '-'), g over z over r over u; no arguments: 'i'; arguments without a mode: 0.
// "/n" or "-n" (lower case) takes the next argument, cut at its first blank and to 39
// characters, as the product GUID. "/f" or "/F": fromTemp.
CommandLineResult ParseInstallerCommandLine(InstallerState* state, const wchar_t* commandLine);

// "/GUID=" with "/EMMODE=": the framework switch of an installed input method.
struct ReregisterRequest {
    wchar_t guidText[kGuidTextUnits];
    GUID guid;
    bool useTsf;  // "/EMMODE=1", "2" or "3"; any other value or none: IMM32 only
};

enum class ReregisterParse {
    kAbsent,     // no "/GUID=" argument
    kRequested,  // request filled
    kBadGuid,    // "/GUID=" with a text that is not a GUID
};

ReregisterParse ParseReregisterCommandLine(const wchar_t* commandLine, ReregisterRequest* out);
