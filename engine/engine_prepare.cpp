#include <cstring>

#include "core/table/table_format.h"
#include "engine/engine_create.h"
#include "engine/symbol_display.h"
#include "engine/temp_reset.h"
#include "engine/ui_state.h"

namespace {

// The main table must be of this input method and of this format.
bool MainTableMatches(const Engine* e) {
    const MappedFile* t = e->mainTable;
    if (!t || !t->view || t->size < static_cast<int32_t>(kOffsetArrayStart)) return false;
    const auto* h = reinterpret_cast<const TableFileHeader*>(t->view);
    uint16_t version;
    std::memcpy(&version, &h->version, sizeof version);
    return std::memcmp(h->guid, &e->guid, sizeof(GUID)) == 0 && version == kTableVersion;
}

}  // namespace

bool PrepareOpenedEngine(Engine* e) {
    if (!e || !MainTableMatches(e)) return false;
    if (!e->soft || !e->ime || !e->dme || !e->skin) return false;
    if (std::memcmp(e->soft->guid, &e->guid, sizeof(GUID)) != 0) return false;
    ResetTempWordsAfterBoot(e);
    if (!e->uiState) e->uiState = CreateUIState();
    if (!e->uiState || !SelectSkinFile(e)) return false;
    ResetSymbolRecords(e);
    return true;
}
