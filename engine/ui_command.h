// UICommand codes and their delivery to the front end that owns the engine record.
#pragma once
#include <cstdint>

#include "core/record/engine.h"

// Codes the skinned windows, menus and language-bar buttons hand to the front ends.
namespace uicmd {
constexpr uint32_t kSettings = 1;        // configuration program, main page
constexpr uint32_t kKeyboardMap = 3;     // help topic "keyboardmap.html"
constexpr uint32_t kAbout = 4;           // "/do about"
constexpr uint32_t kHelpHome = 5;        // "/do help"
constexpr uint32_t kAddUserWord = 8;     // "/do tianjiayonghuci"
constexpr uint32_t kCheckUpdate = 9;     // "/do update"
constexpr uint32_t kPickCandidate = 18;  // first: row 1-10
constexpr uint32_t kNextPage = 257;
constexpr uint32_t kPrevPage = 258;
constexpr uint32_t kChineseInput = 259;
constexpr uint32_t kEnglishInput = 260;
constexpr uint32_t kKeyboardOnOff = 261;  // answered, nothing done
constexpr uint32_t kSoftKeyboard = 513;   // first: show, second: layout
constexpr uint32_t kCandidateMenu = 514;  // first: page row, second: operation 1-7
constexpr uint32_t kFullWidth = 0x2001;
constexpr uint32_t kHalfWidth = 0x2002;
constexpr uint32_t kEnglishPunct = 0x2003;
constexpr uint32_t kChinesePunct = 0x2004;
constexpr uint32_t kTraditionalToggle = 0x2005;
constexpr uint32_t kSimplifiedToggle = 0x2006;
constexpr uint32_t kStatusEmbedToggle = 0x2009;
constexpr uint32_t kInputScheme = 0x2010;      // second: 0 main+auxiliary, 1 main, other auxiliary
constexpr uint32_t kSecondarySearch = 0x2011;  // second: 0 always, 1 never, other on empty code
}  // namespace uicmd

// Hands a command of a window, menu or language-bar button to the owning front end.
// 0 when no front end listens.
inline int SendUICommand(Engine* engine, uint32_t code, uintptr_t first, uintptr_t second) {
    if (!engine || !engine->uiCommand.handler) return 0;
    return engine->uiCommand.handler(engine->uiCommand.owner, code, first, second);
}
