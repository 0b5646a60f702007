// Pieces of the code-table text format shared by the table builder, the importer and the
// list-table builder: line walking, tags, word escapes, directives and code encoding.
#pragma once
#include <cstddef>
#include <cstdint>

// Directive lines start with this prefix: "---config@" key "=" value.
inline constexpr wchar_t kDirectivePrefix[] = L"---config@";
inline constexpr size_t kDirectivePrefixUnits = 10;

// Keypad keys travel as U+FF0A..U+FF19 in texts and as the bytes 0x0A..0x19 in tables.
inline bool IsFullWidthKeypadChar(wchar_t c) { return c >= 0xFF0A && c <= 0xFF19; }
inline wchar_t KeypadByteOf(wchar_t c) {
    return IsFullWidthKeypadChar(c) ? static_cast<wchar_t>(c - 0xFF00) : c;
}

// One line of a text: [start, start + length). Line ends are CR, LF or any run of them;
// empty lines are never returned.
struct TextLine {
    size_t start;
    size_t length;
};
// Next non-empty line at or after *pos; false at the end. *pos moves behind the line end.
bool NextTextLine(const wchar_t* text, size_t textLength, size_t* pos, TextLine* line);
// Number of lines the text can hold: one per CR or LF, plus one.
size_t CountLineEnds(const wchar_t* text, size_t textLength);
// Lines as a reader counts them: CR LF, CR and LF each end one line; plus one.
size_t CountTextLines(const wchar_t* text, size_t textLength);

enum class TableLineKind { kComment, kDirective, kData };
// Kind of a line: "//" comment (a line of three slashes or more loses its first slash and is
// data), a directive (longer than 10 units, starting with the prefix), otherwise data. For
// data, *dataStart receives the index where the data begins (1 after a "///" escape).
TableLineKind ClassifyTableLine(const wchar_t* line, size_t length, size_t* dataStart);

// A directive found anywhere in a text: key before the first '=', value to the line end.
struct TableDirective {
    const wchar_t* key;
    size_t keyLength;
    const wchar_t* value;  // null when the directive has no '='
    size_t valueLength;
};
// Next occurrence of the prefix at or after *pos (anywhere in a line); false at the end.
bool NextTableDirective(const wchar_t* text, size_t textLength, size_t* pos, TableDirective* out);
// True when [s, s + length) equals the NUL-terminated literal.
bool TextEquals(const wchar_t* s, size_t length, const wchar_t* literal);
// True when [s, s + length) starts with literal; *rest gets the index behind it.
bool TextStartsWith(const wchar_t* s, size_t length, const wchar_t* literal, size_t* rest);

// Leading decimal number: optional spaces, optional sign, digits (stops at the first other
// unit or at length). No digits gives 0. Saturates at the int32 range.
int32_t ParseTableDecimal(const wchar_t* s, size_t length);

// Tags written behind a code.
enum class TableTag : uint8_t { kDelete, kOrder, kCategory, kUser, kSecondary, kAux, kPinned };
inline constexpr int kTableTagCount = 7;

struct TableTags {
    bool found[kTableTagCount];
    int32_t order;     // value of "#序" when found
    int32_t category;  // value of "#类" when found
    bool has(TableTag t) const { return found[static_cast<int>(t)]; }
};

// The order in which the builder searches its tags and in which the importer does.
extern const TableTag kBuilderTagOrder[kTableTagCount];
extern const TableTag kImporterTagOrder[kTableTagCount];

// Searches the tags in the given order, each over what is left of the code part, cutting it
// at the '#' of each tag found (a NUL is written there). With hashEscapes, a '#' right
// behind another '#' starts no tag. Returns the code length left.
size_t ParseTableTags(wchar_t* codePart, size_t length, const TableTag* order, int orderCount,
                      bool hashEscapes, TableTags* out);

// Word escapes, in place: "\\" one backslash, "\r" CR LF, "\t" TAB, and with spaceEscape
// "\s" a space; any other backslash stays. Returns the new length; a word that shrank is
// NUL-terminated at it.
size_t UnescapeTableWord(wchar_t* word, size_t length, bool spaceEscape);

// UTF-8 of the whole text, with the keypad characters U+FF0A..U+FF19 as single bytes when
// mapKeypad is set. Returns the full byte count, or -1 on a broken surrogate pair. Writes
// only when dst is given and the whole result fits capacity (otherwise nothing is written).
int EncodeTableText(const wchar_t* text, size_t units, bool mapKeypad, uint8_t* dst, int capacity);

// Length byte + UTF-8 of a code with the keypad characters as single bytes; the same contract
// as EncodeLengthPrefixedUtf8: 0 when above 250 units or bytes, broken, or larger than
// capacity; otherwise the total bytes (length byte included, so an empty code gives 1); a null
// destination only counts.
int EncodeKeypadCode(const wchar_t* src, uint8_t* dst, int capacity);
