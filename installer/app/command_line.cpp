#include "installer/app/command_line.h"

#include <cstring>
#include <cwchar>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Past the program name and the blanks after it.
const wchar_t* SkipProgramName(const wchar_t* s) {
    if (!s) return L"";
    if (*s == L'"') {
        ++s;
        while (*s && *s != L'"') ++s;
        if (*s) ++s;
    } else {
        while (*s && !IsBlank(*s)) ++s;
    }
    while (IsBlank(*s)) ++s;
    return s;
}

bool IsSwitch(const std::wstring& arg, wchar_t letter) {
    if (arg.size() != 2 || (arg[0] != L'/' && arg[0] != L'-')) return false;
    return arg[1] == letter || arg[1] == static_cast<wchar_t>(letter - L'a' + L'A');
}

constexpr int kGuidCut = 39;

// The GUID text of a switch: cut at the first blank and to 39 characters, then checked.
bool TakeGuid(const std::wstring& value, wchar_t (&text)[kGuidTextUnits], GUID* guid) {
    size_t n = value.find_first_of(L" \t");
    if (n == std::wstring::npos) n = value.size();
    if (n > kGuidCut) n = kGuidCut;
    wmemcpy(text, value.data(), n);
    text[n] = 0;
    if (ParseGuidText(text, guid)) return true;
    text[0] = 0;
    return false;
}

}  // namespace

std::vector<std::wstring> SplitCommandArguments(const wchar_t* commandLine) {
    std::vector<std::wstring> args;
    const wchar_t* s = SkipProgramName(commandLine);
    while (*s) {
        std::wstring arg;
        bool quoted = false;
        while (*s && (quoted || !IsBlank(*s))) {
            if (*s == L'\\') {
                size_t slashes = 0;
                while (*s == L'\\') {
                    ++slashes;
                    ++s;
                }
                if (*s == L'"') {
                    arg.append(slashes / 2, L'\\');
                    if (slashes % 2) {
                        arg += L'"';
                        ++s;
                    }
                } else {
                    arg.append(slashes, L'\\');
                }
            } else if (*s == L'"') {
                if (quoted && s[1] == L'"') {
                    arg += L'"';
                    s += 2;
                } else {
                    quoted = !quoted;
                    ++s;
                }
            } else {
                arg += *s++;
            }
        }
        args.push_back(std::move(arg));
        while (IsBlank(*s)) ++s;
    }
    return args;
}

std::wstring ArgumentText(const wchar_t* commandLine) {
    std::wstring text = SkipProgramName(commandLine);
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    return text;
}

CommandLineResult ParseInstallerCommandLine(InstallerState* state, const wchar_t* commandLine) {
    const std::vector<std::wstring> args = SplitCommandArguments(commandLine);
    state->mode = args.empty() ? kModeInstall : kModeNone;
    state->fromTemp = 0;
    state->guidText[0] = 0;
    state->guid = GUID{};
    bool u = false, r = false, z = false, g = false, guidGiven = false, guidBad = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"/n" || a == L"-n") {
            guidGiven = true;
            const std::wstring value = i + 1 < args.size() ? args[++i] : std::wstring();
            guidBad = !TakeGuid(value, state->guidText, &state->guid);
        } else if (a == L"/f" || a == L"/F") {
            state->fromTemp = kFromTemp;
        } else if (IsSwitch(a, L'u')) {
            u = true;
        } else if (IsSwitch(a, L'r')) {
            r = true;
        } else if (IsSwitch(a, L'z')) {
            z = true;
        } else if (IsSwitch(a, L'g')) {
            g = true;
        }
    }
    if (g)
        state->mode = kModeInstallG;
    else if (z)
        state->mode = kModeCleanUp;
    else if (r)
        state->mode = kModeRepair;
    else if (u)
        state->mode = kModeUninstall;
    if (guidGiven && guidBad) return CommandLineResult::kBadGuid;
    // Both name an installed product: without its GUID they would read the family's key.
    if ((state->mode == kModeUninstall || state->mode == kModeRepair) && !guidGiven)
        return CommandLineResult::kMissingGuid;
    return CommandLineResult::kOk;
}

ReregisterParse ParseReregisterCommandLine(const wchar_t* commandLine, ReregisterRequest* out) {
    std::memset(out, 0, sizeof *out);
    static constexpr wchar_t kGuidSwitch[] = L"/GUID=";
    static constexpr wchar_t kModeSwitch[] = L"/EMMODE=";
    constexpr size_t kGuidSwitchLen = 6, kModeSwitchLen = 8;
    bool found = false, bad = false;
    for (const std::wstring& a : SplitCommandArguments(commandLine)) {
        if (a.compare(0, kGuidSwitchLen, kGuidSwitch) == 0) {
            found = true;
            bad = !TakeGuid(a.substr(kGuidSwitchLen), out->guidText, &out->guid);
        } else if (a.compare(0, kModeSwitchLen, kModeSwitch) == 0) {
            const std::wstring v = a.substr(kModeSwitchLen);
            out->useTsf = v == L"1" || v == L"2" || v == L"3";
        }
    }
    if (!found) return ReregisterParse::kAbsent;
    return bad ? ReregisterParse::kBadGuid : ReregisterParse::kRequested;
}
