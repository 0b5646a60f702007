// Key/value tables (kind 65536: danzi.dmi, dict.dms, traditional.dms, simplified.dms) built
// from texts of "key TAB value" lines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct KeyValueItem {
    std::string key;    // UTF-8, 1 to 255 bytes
    std::string value;  // UTF-8, not empty
};

struct KeyValueParse {
    std::vector<KeyValueItem> items;  // in text order
    int32_t rejected = 0;             // data lines left out
    std::wstring firstRejected;       // the first of them, for the report
};

// Lines end at CR, LF or runs of them; empty lines are skipped; "//" starts a comment and
// "///" stands for a line starting with "//". A line without TAB, with an empty key or
// value, a key over 255 bytes or a broken surrogate is rejected. Value escapes: "\\" gives
// a backslash, "\r" CR LF, "\t" a TAB, "\s" a space; any other backslash stays.
KeyValueParse ParseKeyValueText(const wchar_t* text, size_t units);

// The table file's bytes: entries in item order, the offset array sorted by key (equal keys
// keep item order). Empty when the table would pass the largest mappable size.
std::vector<uint8_t> MakeKeyValueTableBytes(const std::vector<KeyValueItem>& items);
