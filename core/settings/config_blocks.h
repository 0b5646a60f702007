// Layout of config.dsc: a small offset table followed by four fixed-layout settings blocks
// that every process maps read/write and reads field by field in place.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/base/mapped_file.h"
#include "core/settings/key_functions.h"
#include "core/settings/key_names.h"

// bootStamp sits at +21860: 4-byte packing keeps the layout the same on x86 and x64.
#pragma pack(push, 4)

constexpr int kMaxConfigBlocks = 32;
constexpr int kConfigBlockNameMax = 30;  // characters, NUL not counted

// File start: count byte (bytes 1-3 zero) and room for 32 block offsets.
struct ConfigDataFile {
    uint8_t count;
    uint8_t reserved[3];
    uint32_t offsets[kMaxConfigBlocks];
};
static_assert(offsetof(ConfigDataFile, count) == 0);
static_assert(offsetof(ConfigDataFile, offsets) == 4);
static_assert(sizeof(ConfigDataFile) == 132);

struct ConfigBlockHeader {
    uint32_t size;  // header included
    uint8_t id;
    char name[kConfigBlockNameMax + 1];  // ASCII, NUL-terminated; zero up to +36
};
static_assert(offsetof(ConfigBlockHeader, size) == 0);
static_assert(offsetof(ConfigBlockHeader, id) == 4);
static_assert(offsetof(ConfigBlockHeader, name) == 5);
static_assert(sizeof(ConfigBlockHeader) == 36);

// ---- ime block ----

enum SymbolKind : uint16_t {
    kSymbolNone = 0,
    kSymbolText = 1,
    kSymbolPair = 2,
    kSymbolCaretLeft = 3,
    kSymbolSmart = 4,
};

// One per character code 0-127; 0x0A-0x19 stand for the keypad keys U+FF0A-U+FF19.
struct SymbolRecord {
    uint16_t kind;
    // Slots 1-31. Text: [0..30]. Pair: first [0..14], second [15..29], toggle [30].
    wchar_t slots[31];
};
static_assert(offsetof(SymbolRecord, kind) == 0);
static_assert(offsetof(SymbolRecord, slots) == 2);
static_assert(sizeof(SymbolRecord) == 64);

constexpr int kSymbolTextUnits = 31;  // at most 30 characters + NUL
constexpr int kSymbolPairFirst = 0;   // index into slots
constexpr int kSymbolPairSecond = 15;
constexpr int kSymbolPairUnits = 15;  // at most 14 characters + NUL
constexpr int kSymbolPairToggle = 30;

// Root text shown for a key; empty: the key shows itself.
struct KeyRootRecord {
    wchar_t text[32];
};
static_assert(sizeof(KeyRootRecord) == 64);

constexpr int kRecentOutputSlots = 16;
constexpr int kRecentTextUnits = 36;
constexpr int kRecentCodeSlots = 16;
constexpr int kRecentCodeUnits = 8;

struct RecentOutput {
    uint8_t utf8Length;
    uint8_t charCount;
    wchar_t text[kRecentTextUnits];
    wchar_t codes[kRecentCodeSlots][kRecentCodeUnits];
};
static_assert(offsetof(RecentOutput, utf8Length) == 0);
static_assert(offsetof(RecentOutput, charCount) == 1);
static_assert(offsetof(RecentOutput, text) == 2);
static_assert(offsetof(RecentOutput, codes) == 74);
static_assert(sizeof(RecentOutput) == 330);

constexpr int kLastOutputUnits = 64;
constexpr uint32_t kLastOutputMax = 63;

struct ImeConfigData {
    ConfigBlockHeader header;
    uint32_t options;
    uint32_t visibleItems;
    uint32_t listOptions;
    uint32_t features;
    uint32_t startSentence;
    uint32_t startState;
    SymbolRecord symbols[128];
    KeyRootRecord keyRoots[128];
    uint32_t recentCount;
    RecentOutput recentOutputs[kRecentOutputSlots];
    wchar_t lastOutput[kLastOutputUnits];
    uint32_t lastOutputCount;
    int64_t bootStamp;
    uint8_t reserved[24];
};
static_assert(offsetof(ImeConfigData, options) == 36);
static_assert(offsetof(ImeConfigData, visibleItems) == 40);
static_assert(offsetof(ImeConfigData, listOptions) == 44);
static_assert(offsetof(ImeConfigData, features) == 48);
static_assert(offsetof(ImeConfigData, startSentence) == 52);
static_assert(offsetof(ImeConfigData, startState) == 56);
static_assert(offsetof(ImeConfigData, symbols) == 60);
static_assert(offsetof(ImeConfigData, keyRoots) == 8252);
static_assert(offsetof(ImeConfigData, recentCount) == 16444);
static_assert(offsetof(ImeConfigData, recentOutputs) == 16448);
static_assert(offsetof(ImeConfigData, lastOutput) == 21728);
static_assert(offsetof(ImeConfigData, lastOutputCount) == 21856);
static_assert(offsetof(ImeConfigData, bootStamp) == 21860);
static_assert(sizeof(ImeConfigData) == 21892);

// ImeConfigData::options
constexpr uint32_t kImeCommitCodeOnSwitch = 0x1;
constexpr uint32_t kImeAssociation = 0x2;
constexpr uint32_t kImeNonCodeKeyCommits = 0x4;
constexpr uint32_t kImeNoComboHotkeys = 0x8;
constexpr uint32_t kImeTraditionalOutput = 0x10;
constexpr uint32_t kImeSimplifiedOutput = 0x20;
constexpr uint32_t kImeCandidateFixed = 0x40;
constexpr uint32_t kImeCandidateFollowStatus = 0x80;
constexpr uint32_t kImeStatusHidden = 0x100;
constexpr uint32_t kImeStatusEmbedded = 0x200;
constexpr uint32_t kImeCandidateHidden = 0x400;
constexpr uint32_t kImeCapitalStartsEnglish = 0x800;
constexpr uint32_t kImeStyleTsfEmbedCode = 0x1000;
constexpr uint32_t kImeStyleTsfEmbedFirst = 0x2000;
constexpr uint32_t kImeStyleTsfClassic = 0x4000;
constexpr uint32_t kImeStyleMask = 0x7000;  // none set: IME classic style
constexpr uint32_t kImeMainTable = 0x8000;
constexpr uint32_t kImeAuxTable = 0x10000;
constexpr uint32_t kImeSearchSecondary = 0x20000;
constexpr uint32_t kImeSecondaryOnEmpty = 0x40000;
constexpr uint32_t kImeTempWords = 0x100000;
constexpr uint32_t kImeTempSaveAtCommit = 0x200000;
constexpr uint32_t kImeTempClearAtBoot = 0x400000;
constexpr uint32_t kImeTempSmart = 0x800000;
constexpr uint32_t kImeNoHoverDictionary = 0x1000000;

// ImeConfigData::visibleItems
constexpr uint32_t kVisibleTabAdvanced = 0x1;
constexpr uint32_t kVisibleTabCommon = 0x2;
constexpr uint32_t kVisibleTabInterface = 0x4;
constexpr uint32_t kVisibleTabTables = 0x8;
constexpr uint32_t kVisibleTabAbout = 0x10;
constexpr uint32_t kVisibleWidthButton = 0x40;
constexpr uint32_t kVisiblePunctButton = 0x80;
constexpr uint32_t kVisibleSoftKeyButton = 0x100;
constexpr uint32_t kVisibleMenuButton = 0x200;
constexpr uint32_t kVisibleShipped = 0x3FF;
constexpr uint32_t kVisibleAll = 0xFFFF;  // stored in place of 0

// ImeConfigData::listOptions
constexpr uint32_t kListFreqToTop = 0x1;
constexpr uint32_t kListFreqGradual = 0x2;
constexpr uint32_t kListFreqCount = 0x4;
constexpr uint32_t kListFreqMask = 0x7;  // none: no adjustment
constexpr uint32_t kListSingleFirst = 0x8;
constexpr uint32_t kListByCode = 0x10;
constexpr int kListPageShift = 28;
constexpr uint32_t kListPageMask = 0xF0000000;
constexpr uint32_t kDefaultPageSize = 5;
constexpr uint32_t kMaxPageSize = 10;

// ImeConfigData::features
constexpr uint32_t kFeatSpaceEnglish = 0x1;
constexpr uint32_t kFeatSpaceEnglishSpace = 0x2;
constexpr uint32_t kFeatSpaceClear = 0x4;
constexpr uint32_t kFeatSpaceMask = 0x7;
constexpr uint32_t kFeatMergeSameWord = 0x8;
constexpr uint32_t kFeatCommands = 0x20;
constexpr uint32_t kFeatCandidateOnlyWhenMany = 0x40;
constexpr uint32_t kFeatHideEmbeddedFirst = 0x80;
constexpr uint32_t kFeatCustomStartState = 0x100;
constexpr uint32_t kFeatSaveStartState = 0x200;
constexpr uint32_t kFeatAssocHashForm = 0x400;
constexpr uint32_t kFeatHasTsf = 0x1000;
constexpr uint32_t kFeatHasAssociation = 0x2000;
constexpr uint32_t kFeatHasTempWords = 0x4000;
constexpr uint32_t kFeatKeyRoots = 0x10000;
constexpr uint32_t kFeatCapsEnglishPunct = 0x20000;

// ImeConfigData::startState
constexpr uint32_t kStartStateStored = 0x1;
constexpr uint32_t kStartStateFullWidth = 0x8;
constexpr uint32_t kStartStateClosed = 0x100;
constexpr uint32_t kStartStateChinesePunct = 0x400;
constexpr uint32_t kStartStateFollowSystem = 0x401;

// ---- dme block ----

constexpr int kWordRuleSlots = 32;
constexpr int kWordRuleTerms = 128;  // 127 terms + zero
constexpr int kMinRuleChars = 2;
constexpr int kMaxRuleChars = 30;

struct WordRule {
    uint16_t terms[kWordRuleTerms];
};
static_assert(sizeof(WordRule) == 256);

// WordRule term: position << 8 | letter index, 0x8000 counts from the back of the code.
constexpr uint16_t kTermFromBack = 0x8000;
constexpr uint16_t kTermIndexMask = 0x7F;
constexpr int kTermPositionShift = 8;
constexpr uint16_t kTermPositionMask = 0x7F00;

struct KeyComboRecord {
    KeyCombination combination;
    KeyFunctionMask functions;
};
static_assert(offsetof(KeyComboRecord, combination) == 0);
static_assert(offsetof(KeyComboRecord, functions) == 8);
static_assert(sizeof(KeyComboRecord) == 16);

constexpr int kMaxCombos = 64;

struct DmeConfigData {
    ConfigBlockHeader header;
    uint32_t inputOptions;
    uint8_t autoCommitLength;
    uint8_t emptyTopLength;
    uint8_t emptyClearLength;
    uint8_t showWordsLength;
    uint8_t showNextLength;
    uint8_t wildcardChar;
    uint8_t tempEnglishLead;
    uint8_t auxiliaryLead;
    uint8_t secondaryLead;
    uint8_t extraLead;
    uint8_t keyClass[256];
    WordRule wordRules[kWordRuleSlots];
    uint8_t reserved1[6];
    KeyFunctionTables keys;  // plainKeys at +8504, shiftedKeys at +10552
    uint8_t comboCount;
    uint8_t reserved2[7];
    KeyComboRecord combos[kMaxCombos];
    uint8_t reserved3[256];
};
static_assert(offsetof(DmeConfigData, inputOptions) == 36);
static_assert(offsetof(DmeConfigData, autoCommitLength) == 40);
static_assert(offsetof(DmeConfigData, emptyTopLength) == 41);
static_assert(offsetof(DmeConfigData, emptyClearLength) == 42);
static_assert(offsetof(DmeConfigData, showWordsLength) == 43);
static_assert(offsetof(DmeConfigData, showNextLength) == 44);
static_assert(offsetof(DmeConfigData, wildcardChar) == 45);
static_assert(offsetof(DmeConfigData, tempEnglishLead) == 46);
static_assert(offsetof(DmeConfigData, auxiliaryLead) == 47);
static_assert(offsetof(DmeConfigData, secondaryLead) == 48);
static_assert(offsetof(DmeConfigData, extraLead) == 49);
static_assert(offsetof(DmeConfigData, keyClass) == 50);
static_assert(offsetof(DmeConfigData, wordRules) == 306);
static_assert(offsetof(DmeConfigData, keys) == 8504);
static_assert(offsetof(DmeConfigData, keys.plainKeys) == 8504);
static_assert(offsetof(DmeConfigData, keys.shiftedKeys) == 10552);
static_assert(offsetof(DmeConfigData, comboCount) == 12600);
static_assert(offsetof(DmeConfigData, combos) == 12608);
static_assert(sizeof(DmeConfigData) == 13888);

// DmeConfigData::keyClass
constexpr uint8_t kKeyCommitLead = 0x1;
constexpr uint8_t kKeyCodeEnd = 0x2;
constexpr uint8_t kKeyEnglishPunctAfterDigit = 0x4;
constexpr uint8_t kKeyCodeStart = 0x10;
constexpr uint8_t kKeyCodeContinue = 0x20;

// Virtual-key entries 160-165 of plainKeys: taps of left/right Shift, Ctrl and Alt.
constexpr int kFirstModifierTap = 160;
constexpr int kLastModifierTap = 165;

// ---- skin block ----

constexpr int kSkinPrefixSlots = 16;
constexpr int kSkinPrefixUnits = 5;  // at most 4 characters + NUL
constexpr int kSkinFaceUnits = 40;
constexpr int kSkinNameUnits = 64;
constexpr int kSkinNameMax = 39;  // characters stored in skinName and currentSkin
constexpr int kCurrentSkinUnits = 74;

struct SkinFontStyle {
    uint32_t colour;  // not read by the windows
    wchar_t faceName[kSkinFaceUnits];
    int32_t size;  // font height in pixels
    int32_t weight;
    uint8_t italic;
    uint8_t underline;
    uint8_t strikeOut;
    uint8_t reserved[5];
};
static_assert(offsetof(SkinFontStyle, faceName) == 4);
static_assert(offsetof(SkinFontStyle, size) == 84);
static_assert(offsetof(SkinFontStyle, weight) == 88);
static_assert(offsetof(SkinFontStyle, italic) == 92);
static_assert(offsetof(SkinFontStyle, underline) == 93);
static_assert(offsetof(SkinFontStyle, strikeOut) == 94);
static_assert(sizeof(SkinFontStyle) == 100);

struct WindowPoint {
    int32_t x;
    int32_t y;
};
static_assert(sizeof(WindowPoint) == 8);

struct SkinConfigData {
    ConfigBlockHeader header;
    uint8_t reserved1[4];
    uint32_t options;
    int32_t prefixCount;
    wchar_t prefixes[kSkinPrefixSlots][kSkinPrefixUnits];
    SkinFontStyle candidateFontStyle;
    SkinFontStyle codeFontStyle;
    wchar_t skinName[kSkinNameUnits];
    wchar_t currentSkin[kCurrentSkinUnits];
    WindowPoint candidateWindowPos;  // 0,0: none
    WindowPoint statusWindowPos;     // -1,-1: none
    uint8_t reserved2[32];
};
static_assert(offsetof(SkinConfigData, options) == 40);
static_assert(offsetof(SkinConfigData, prefixCount) == 44);
static_assert(offsetof(SkinConfigData, prefixes) == 48);
static_assert(offsetof(SkinConfigData, candidateFontStyle) == 208);
static_assert(offsetof(SkinConfigData, candidateFontStyle.faceName) == 212);
static_assert(offsetof(SkinConfigData, candidateFontStyle.size) == 292);
static_assert(offsetof(SkinConfigData, candidateFontStyle.weight) == 296);
static_assert(offsetof(SkinConfigData, candidateFontStyle.italic) == 300);
static_assert(offsetof(SkinConfigData, candidateFontStyle.underline) == 301);
static_assert(offsetof(SkinConfigData, candidateFontStyle.strikeOut) == 302);
static_assert(offsetof(SkinConfigData, codeFontStyle) == 308);
static_assert(offsetof(SkinConfigData, codeFontStyle.faceName) == 312);
static_assert(offsetof(SkinConfigData, codeFontStyle.size) == 392);
static_assert(offsetof(SkinConfigData, codeFontStyle.weight) == 396);
static_assert(offsetof(SkinConfigData, codeFontStyle.italic) == 400);
static_assert(offsetof(SkinConfigData, codeFontStyle.underline) == 401);
static_assert(offsetof(SkinConfigData, codeFontStyle.strikeOut) == 402);
static_assert(offsetof(SkinConfigData, skinName) == 408);
static_assert(offsetof(SkinConfigData, currentSkin) == 536);
static_assert(offsetof(SkinConfigData, candidateWindowPos) == 684);
static_assert(offsetof(SkinConfigData, statusWindowPos) == 692);
static_assert(sizeof(SkinConfigData) == 732);

// SkinConfigData::options
constexpr uint32_t kSkinShowIndex = 0x1;
constexpr uint32_t kSkinShowHints = 0x2;
constexpr uint32_t kSkinShowButtons = 0x4;
constexpr uint32_t kSkinHorizontal = 0x8;
constexpr uint32_t kSkinVerticalLeft = 0x10;  // neither: vertical layout
constexpr uint32_t kSkinCaretVertical = 0x100;
constexpr uint32_t kSkinCaretHorizontal = 0x200;  // neither: no caret
constexpr uint32_t kSkinCaretThin = 0x2000;
constexpr uint32_t kSkinRightToLeft = 0x4000;
constexpr uint32_t kSkinOwnFonts = 0x8000;
constexpr uint32_t kSkinVerticalInLeadModes = 0x80000;
constexpr uint32_t kSkinShippedOptions = 0x3;

// ---- soft block ----

constexpr int kSoftShortUnits = 64;
constexpr int kSoftVersionUnits = 32;
constexpr int kSoftUrlUnits = 512;
constexpr int kSoftCommandUnits = 260;
constexpr int kTableClasses = 32;
constexpr int kClassAliasUnits = 32;

struct SoftConfigData {
    ConfigBlockHeader header;
    uint32_t languageId;  // 0 reads as 2052
    uint8_t guid[16];
    wchar_t productName[kSoftShortUnits];
    wchar_t languageName[kSoftShortUnits];
    wchar_t imeName[kSoftShortUnits];
    wchar_t folderName[kSoftShortUnits];
    wchar_t versionText[kSoftVersionUnits];
    uint8_t reserved1[128];
    wchar_t comments[kSoftShortUnits];
    wchar_t publisher[kSoftShortUnits];
    wchar_t homePage[kSoftUrlUnits];
    wchar_t aboutUrl[kSoftUrlUnits];
    wchar_t updateUrl[kSoftUrlUnits];
    wchar_t contact[kSoftShortUnits];
    wchar_t helpTelephone[kSoftShortUnits];
    wchar_t postInstallCommand[kSoftCommandUnits];
    wchar_t uninstallCommand[kSoftCommandUnits];
    uint32_t installFlags;
    uint8_t showLicenceAgreement;
    uint8_t reserved2[71];
    wchar_t classAliases[kTableClasses][kClassAliasUnits];
    uint32_t classPermissions[kTableClasses];
    uint32_t buildNumber;
    uint32_t dataVersionNumber;
    uint8_t reserved3[32];
};
static_assert(offsetof(SoftConfigData, languageId) == 36);
static_assert(offsetof(SoftConfigData, guid) == 40);
static_assert(offsetof(SoftConfigData, productName) == 56);
static_assert(offsetof(SoftConfigData, languageName) == 184);
static_assert(offsetof(SoftConfigData, imeName) == 312);
static_assert(offsetof(SoftConfigData, folderName) == 440);
static_assert(offsetof(SoftConfigData, versionText) == 568);
static_assert(offsetof(SoftConfigData, comments) == 760);
static_assert(offsetof(SoftConfigData, publisher) == 888);
static_assert(offsetof(SoftConfigData, homePage) == 1016);
static_assert(offsetof(SoftConfigData, aboutUrl) == 2040);
static_assert(offsetof(SoftConfigData, updateUrl) == 3064);
static_assert(offsetof(SoftConfigData, contact) == 4088);
static_assert(offsetof(SoftConfigData, helpTelephone) == 4216);
static_assert(offsetof(SoftConfigData, postInstallCommand) == 4344);
static_assert(offsetof(SoftConfigData, uninstallCommand) == 4864);
static_assert(offsetof(SoftConfigData, installFlags) == 5384);
static_assert(offsetof(SoftConfigData, showLicenceAgreement) == 5388);
static_assert(offsetof(SoftConfigData, classAliases) == 5460);
static_assert(offsetof(SoftConfigData, classPermissions) == 7508);
static_assert(offsetof(SoftConfigData, buildNumber) == 7636);
static_assert(offsetof(SoftConfigData, dataVersionNumber) == 7640);
static_assert(sizeof(SoftConfigData) == 7676);

constexpr uint32_t kDefaultLanguageId = 2052;

// SoftConfigData::installFlags
constexpr uint32_t kInstallUpdateLink = 0x20;
constexpr uint32_t kInstallHelpLink = 0x40;
constexpr uint32_t kInstallSettingsLink = 0x80;
constexpr uint32_t kInstallKeysLink = 0x100;
constexpr uint32_t kInstallUninstallLink = 0x800;
constexpr uint32_t kInstallRepairLink = 0x1000;
constexpr uint32_t kInstallRunMarkA = 0x10000000;
constexpr uint32_t kInstallRunMarkB = 0x20000000;

// SoftConfigData::classPermissions
constexpr uint32_t kClassWritable = 0x1;
constexpr uint32_t kClassInUse = 0x2;

#pragma pack(pop)

// ---- the container ----

enum ConfigBlockId : uint8_t {
    kImeBlockId = 1,
    kDmeBlockId = 2,
    kSkinBlockId = 3,
    kSoftBlockId = 4,
};

inline constexpr char kImeBlockName[] = "kx_ime_config_data_default";
inline constexpr char kDmeBlockName[] = "kx_dme_config_data_default";
inline constexpr char kSkinBlockName[] = "kx_skin_config_data_default";
inline constexpr char kSoftBlockName[] = "kx_soft_config_data_default";

constexpr uint32_t kConfigFirstBlock = sizeof(ConfigDataFile);  // 132
constexpr uint32_t kImeBlockOffset = kConfigFirstBlock;
constexpr uint32_t kDmeBlockOffset = kImeBlockOffset + sizeof(ImeConfigData);
constexpr uint32_t kSkinBlockOffset = kDmeBlockOffset + sizeof(DmeConfigData);
constexpr uint32_t kSoftBlockOffset = kSkinBlockOffset + sizeof(SkinConfigData);
constexpr uint32_t kConfigFileSize = kSoftBlockOffset + sizeof(SoftConfigData);
static_assert(kDmeBlockOffset == 22024);
static_assert(kSkinBlockOffset == 35912);
static_assert(kSoftBlockOffset == 36644);
static_assert(kConfigFileSize == 44320);

constexpr uintptr_t kConfigBlockAlign = 4;

// Record size of one of the four block names (ASCII case ignored), else the header size.
uint32_t ConfigRecordSize(const char* name);

// The first block of the offset table named `name` (ASCII case ignored) that lies whole
// inside the view behind the offset table, is 4-byte aligned and holds at least its record
// (ConfigRecordSize) and minSize bytes. Damaged entries are skipped. Null when none fits, or
// when the count exceeds kMaxConfigBlocks or the offset table reaches past the view.
ConfigBlockHeader* FindConfigBlock(uint8_t* view, int64_t viewSize, const char* name,
                                   uint32_t minSize = 0);
ConfigBlockHeader* FindConfigBlock(const MappedFile* file, const char* name, uint32_t minSize = 0);

// The four blocks by their names, each checked against its record size.
ImeConfigData* FindImeConfig(const MappedFile* file);
DmeConfigData* FindDmeConfig(const MappedFile* file);
SkinConfigData* FindSkinConfig(const MappedFile* file);
SoftConfigData* FindSoftConfig(const MappedFile* file);

// Writes the header of a block: size, id and the name cut to 30 characters, zero after it.
void WriteConfigBlockHeader(ConfigBlockHeader* header, uint32_t size, uint8_t id, const char* name);
// Fills a view of kConfigFileSize bytes with the container and four blocks, fields zero.
// Returns 1, or 0 when the view is too small.
int InitConfigImage(uint8_t* view, int64_t viewSize);
// Creates (or replaces) config.dsc at path with the four empty blocks. Returns 1 or 0.
int CreateConfigFile(const wchar_t* path);

// ---- bounded reads of shared fields ----

// Valid RecentOutput records; a damaged count above kRecentOutputSlots counts as 0.
uint32_t RecentCount(const ImeConfigData* ime);
// Characters in lastOutput, at most kLastOutputMax.
uint32_t LastOutputCount(const ImeConfigData* ime);
// Used combination records, at most kMaxCombos.
uint32_t ComboCount(const DmeConfigData* dme);
// Auto-vertical prefixes, 0..kSkinPrefixSlots.
int32_t PrefixCount(const SkinConfigData* skin);
// Candidates per page from listOptions: 1..10, kDefaultPageSize for any other stored value.
uint32_t CandidatesPerPage(uint32_t listOptions);
// 2052 when the stored language id is 0.
uint32_t LanguageIdOf(const SoftConfigData* soft);

// Units before the first NUL, at most fieldUnits.
int FieldTextLength(const wchar_t* field, int fieldUnits);
// Copies a text field of fieldUnits units into out (capacity units), stopping at NUL, the
// field's end or the capacity; out is always NUL-terminated. Returns the units copied.
int ReadFieldText(const wchar_t* field, int fieldUnits, wchar_t* out, int capacity);
// Stores text into a field of fieldUnits units, cut to fieldUnits - 1, zero-filled behind.
// Returns the units stored.
int WriteFieldText(wchar_t* field, int fieldUnits, const wchar_t* text);

template <int N>
int ReadFieldText(const wchar_t (&field)[N], wchar_t* out, int capacity) {
    return ReadFieldText(field, N, out, capacity);
}
template <int N>
int WriteFieldText(wchar_t (&field)[N], const wchar_t* text) {
    return WriteFieldText(field, N, text);
}

// Texts of a SymbolRecord by kind: the single text, or the pair's first (which 0) and
// second (which 1) text; other values of which give an empty text.
int SymbolText(const SymbolRecord* r, wchar_t* out, int capacity);
int SymbolPairText(const SymbolRecord* r, int which, wchar_t* out, int capacity);
