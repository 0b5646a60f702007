// The update address template of an installation and the built-in default one.
#pragma once

// The built-in template: the maker's update page with its placeholder query.
constexpr wchar_t kDefaultUpdateTemplate[] =
    L"https://update.zantor.example/update.php?v={version}&g={guid}&m={macaddr}&d={dataver}";

// A custom update address: the template (at most units units, need not be terminated) is not
// empty and differs, ignoring ASCII case, from the built-in default.
bool IsCustomUpdateAddress(const wchar_t* templ, int units);
