// The "set(" command's text: a settings section, a key and a value for one settings line.
#pragma once
#include <cstddef>

// Section of a settings-text header ("[-IME设置-]" ...): 1..11, 0 for any other text.
int GetSettingsSectionId(const wchar_t* header, size_t length);
int GetSettingsSectionId(const wchar_t* header);

// A part of the command text (not terminated).
struct TextPart {
    const wchar_t* text;
    size_t length;
};

// Parses set(section,key=value); each part may be enclosed in double quotes and then holds
// the separators. Returns the section's id; 0 (parts empty) when a part is empty, a
// separator or the closing ")" is missing, or the section is unknown.
int ParseSetCommand(const wchar_t* text, TextPart* section, TextPart* key, TextPart* value);
