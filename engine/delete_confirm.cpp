#include <cwchar>

#include "core/table/table_format.h"
#include "engine/candidate_entry_menu.h"
#include "engine/listed_entries.h"
#include "engine/platform.h"

namespace {

constexpr int kTextUnits = 256;
constexpr int kQuestionUnits = 2 * kTextUnits + 64;

}  // namespace

int ConfirmDeleteEntry(Engine* e, HWND owner) {
    if (!e || e->input.committedKind != kKindMainEntry) return 1;
    MappedFile* main = e->mainTable;
    // The pointer was taken at the commit: the table may have moved or changed since.
    uint8_t* entry = const_cast<uint8_t*>(e->input.committedEntry);
    if (!main || !main->IsMapped() || !IsListedEntry(main, entry)) return 1;
    wchar_t code[kTextUnits], word[kTextUnits];
    EntryTextForDisplay(EntryCode(entry), code, kTextUnits);
    EntryTextForDisplay(EntryWord(entry), word, kTextUnits);
    const bool deleted = (LoadU32(entry) & kFlagDeleted) != 0;
    wchar_t question[kQuestionUnits];
    std::swprintf(
        question, kQuestionUnits, L"编码: %ls\r\n词条: %ls%ls", code, word,
        deleted ? L"\r\n\r\n该词条已被删除，是否取消删除?" : L"\r\n\r\n是否删除这个词条?");
    if (PLATFORM_CALL(messageBox)(owner, question, L"操作提示", MB_ICONQUESTION | MB_YESNO) !=
        IDYES)
        return 1;
    // The box let other code run: check the entry again before writing.
    if (!main->IsMapped() || e->mainTable != main || !IsListedEntry(main, entry)) return 1;
    const uint32_t flags = LoadU32(entry);
    StoreU32(entry, deleted ? flags & ~kFlagDeleted : flags | kFlagDeleted);
    NoteTableChange(main);
    MappedFile::Flush(main);
    return 1;
}
