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

struct ImeConfigData;
struct DmeConfigData;
struct SkinConfigData;
struct OptionSectionCodec;
struct Engine;

// Applies one settings line of section (an id of GetSettingsSectionId) with the parsers of the
// settings-text import; the input-option and interface-option sections go through codec's
// read entry. 1 when the section takes lines, 0 when it changes nothing (no block or codec).
int ApplySettingLine(int section, TextPart key, TextPart value, ImeConfigData* ime,
                     DmeConfigData* dme, SkinConfigData* skin, const OptionSectionCodec* codec);

// The whole "set(" text on the engine's settings blocks. 0 for a malformed line, a section that
// takes no lines and the keys the command must not change ("输入法框架", "使用调试模式").
int ApplySetCommandLine(Engine* engine, const wchar_t* line, const OptionSectionCodec* codec);
