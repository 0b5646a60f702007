// Shared opener of the engine record: data files, settings blocks, refresh, recent outputs.
#include <cstddef>
#include <cstring>
#include <cwchar>

#include "core/record/engine.h"
#include "core/record/engine_open.h"
#include "core/table/table_format.h"

namespace {

// The kind of table a file must be; its readers take its entries in that layout.
enum class SlotKind { kSettings, kMain, kTemp, kList, kKeyValue };

struct TableSlot {
    const wchar_t* fileName;
    MappedFile* EngineShared::*member;
    bool required;
    SlotKind kind;
};

// Opening order.
constexpr TableSlot kTables[] = {
    {L"config.dsc", &EngineShared::configFile, true, SlotKind::kSettings},
    {L"main.dmg", &EngineShared::mainTable, true, SlotKind::kMain},
    {L"engl.dmg", &EngineShared::englishTable, false, SlotKind::kList},
    {L"temp.dmg", &EngineShared::tempTable, false, SlotKind::kTemp},
    {L"danzi.dmi", &EngineShared::charTable, false, SlotKind::kKeyValue},
    {L"sysl.dmg", &EngineShared::associationTable, false, SlotKind::kList},
    {L"traditional.dms", &EngineShared::traditionalTable, false, SlotKind::kKeyValue},
    {L"simplified.dms", &EngineShared::simplifiedTable, false, SlotKind::kKeyValue},
    {L"dict.dms", &EngineShared::dictTable, false, SlotKind::kKeyValue},
};

// Bytes of the file itself (a private copy carries two extra zero bytes).
int64_t FileBytes(const MappedFile* f) {
    if (!f || !f->view) return 0;
    return f->IsMemoryCopy() ? static_cast<int64_t>(f->size) - 2 : f->size;
}

// The bytes are a table of the slot's kind: main.dmg a main code table, temp.dmg the slotted
// temporary table, the list and key/value tables their own kinds.
bool FitsSlot(const uint8_t* bytes, int64_t size, SlotKind kind) {
    if (kind == SlotKind::kSettings) return true;
    if (!bytes || size < static_cast<int64_t>(sizeof(TableFileHeader))) return false;
    const uint32_t k = LoadU32(bytes + offsetof(TableFileHeader, kind));
    switch (kind) {
        case SlotKind::kMain:
            return k == kTableKindMain;
        case SlotKind::kTemp:
            return k == kTableKindTemp && size >= static_cast<int64_t>(kTempTableSize);
        case SlotKind::kList:
            return (k & 0xF) == kTableKindList;
        case SlotKind::kKeyValue:
            return k == kTableKindKeyValue;
        case SlotKind::kSettings:
            break;
    }
    return true;
}

bool FitsSlot(const MappedFile* f, SlotKind kind) {
    if (kind == SlotKind::kSettings) return true;
    return f && f->view && FitsSlot(f->view, FileBytes(f), kind);
}

const TableSlot* SlotOfName(const wchar_t* fileName) {
    if (!fileName) return nullptr;
    for (const TableSlot& t : kTables)
        if (_wcsicmp(t.fileName, fileName) == 0) return &t;
    return nullptr;
}

MappedFile* OpenInFolder(const wchar_t* folder, const wchar_t* fileName) {
    wchar_t path[kPathChars];
    const int n = _snwprintf(path, kPathChars, L"%ls%ls", folder, fileName);
    if (n <= 0 || n >= kPathChars) return nullptr;
    MappedFile* f = nullptr;
    if (MappedFile::Open(&f, path) <= 0) return nullptr;
    return f;
}

// Maps the file again when another process has changed its length. The old view stays
// in use when the new one cannot be had as a real mapping of a whole table: a private copy
// would silently drop every later edit.
void RefreshOne(MappedFile* f, SlotKind kind) {
    if (!f || !f->IsMapped()) return;
    LARGE_INTEGER len{};
    if (!GetFileSizeEx(f->file, &len) || len.QuadPart == f->size) return;
    MappedFile* fresh = nullptr;
    if (MappedFile::Open(&fresh, f->path) <= 0 || !fresh) return;
    if (!fresh->IsMapped() || !FitsSlot(fresh, kind)) {
        MappedFile::Close(fresh);
        return;
    }
    // Swap the handles so that the record keeps its own MappedFile object.
    MappedFile old = *f;
    f->file = fresh->file;
    f->mapping = fresh->mapping;
    f->view = fresh->view;
    f->size = fresh->size;
    fresh->file = old.file;
    fresh->mapping = old.mapping;
    fresh->view = old.view;
    fresh->size = old.size;
    MappedFile::Close(fresh);
}

}  // namespace

DataFileCheck CheckDataFile(const wchar_t* fileName, const uint8_t* bytes, int64_t size,
                            const GUID& guid) {
    const TableSlot* slot = SlotOfName(fileName);
    if (!slot) return DataFileCheck::kUnknownName;
    if (size <= 0 || size > kMaxMappedSize) return DataFileCheck::kBadSize;
    if (slot->kind == SlotKind::kSettings) {
        // Only read here: the finder takes a writable view.
        auto* view = const_cast<uint8_t*>(bytes);
        for (const char* name : {kImeBlockName, kDmeBlockName, kSkinBlockName})
            if (!FindConfigBlock(view, size, name)) return DataFileCheck::kBadSettings;
        const auto* soft = reinterpret_cast<const SoftConfigData*>(
            FindConfigBlock(view, size, kSoftBlockName, sizeof(SoftConfigData)));
        if (!soft) return DataFileCheck::kBadSettings;
        if (std::memcmp(soft->guid, &guid, sizeof guid) != 0) return DataFileCheck::kWrongOwner;
        return DataFileCheck::kOk;
    }
    if (size < static_cast<int64_t>(sizeof(TableFileHeader))) return DataFileCheck::kBadSize;
    if (!FitsSlot(bytes, size, slot->kind)) return DataFileCheck::kWrongKind;
    const uint32_t heapStart = LoadU32(bytes + offsetof(TableFileHeader, heapStart));
    int32_t count;
    std::memcpy(&count, bytes + offsetof(TableFileHeader, count), sizeof count);
    if (count < 0 || heapStart > static_cast<uint64_t>(size) ||
        kOffsetArrayStart + 4ull * static_cast<uint32_t>(count) > heapStart)
        return DataFileCheck::kBadSize;
    if (slot->kind == SlotKind::kMain) {
        uint16_t version;
        std::memcpy(&version, bytes + offsetof(TableFileHeader, version), sizeof version);
        if (version != kTableVersion) return DataFileCheck::kWrongVersion;
        if (std::memcmp(bytes + offsetof(TableFileHeader, guid), &guid, sizeof guid) != 0)
            return DataFileCheck::kWrongOwner;
    }
    return DataFileCheck::kOk;
}

bool Engine::OpenTables(Engine* engine) {
    if (!engine) return false;
    engine->dataLocation[kPathChars - 1] = 0;
    for (const TableSlot& t : kTables) {
        MappedFile* f = OpenInFolder(engine->dataLocation, t.fileName);
        // A table of another kind would be read in the wrong layout: a required one fails
        // the opening, an optional one counts as absent.
        if (f && !FitsSlot(f, t.kind)) {
            MappedFile::Close(f);
            f = nullptr;
        }
        engine->*t.member = f;
        if (!f && t.required) {
            CloseTables(engine);
            return false;
        }
    }
    return true;
}

void Engine::CloseTables(Engine* engine) {
    if (!engine) return;
    for (const TableSlot& t : kTables) {
        MappedFile::Close(engine->*t.member);
        engine->*t.member = nullptr;
    }
}

bool Engine::FindSettingsBlocks(Engine* engine) {
    if (!engine) return false;
    engine->soft = FindSoftConfig(engine->configFile);
    engine->ime = FindImeConfig(engine->configFile);
    engine->dme = FindDmeConfig(engine->configFile);
    engine->skin = FindSkinConfig(engine->configFile);
    return engine->soft && engine->ime && engine->dme && engine->skin;
}

void Engine::RefreshTables(Engine* engine) {
    if (!engine) return;
    const struct {
        MappedFile* file;
        SlotKind kind;
    } tables[] = {{engine->mainTable, SlotKind::kMain},
                  {engine->tempTable, SlotKind::kTemp},
                  {engine->englishTable, SlotKind::kList},
                  {engine->associationTable, SlotKind::kList}};
    bool moved = false;
    for (const auto& [t, kind] : tables) {
        const uint8_t* before = t ? t->view : nullptr;
        RefreshOne(t, kind);
        if (t && t->view != before) moved = true;
    }
    // Candidates and remembered entries point into the old views.
    if (moved) engine->ForgetTableViews();
}

int Engine::GetRecentOutput(Engine* engine, int count, wchar_t (&out)[kRecentOutputUnits]) {
    out[0] = 0;
    if (!engine || !engine->ime || count <= 0) return 0;
    const uint32_t have = RecentCount(engine->ime);
    const uint32_t take = static_cast<uint32_t>(count) < have ? static_cast<uint32_t>(count) : have;
    size_t used = 0;
    for (uint32_t i = have - take; i < have; ++i) {
        const RecentOutput& r = engine->ime->recentOutputs[i];
        const size_t len = wcsnlen(r.text, kRecentTextUnits);
        const size_t room = kRecentOutputUnits - 1 - used;
        const size_t n = len < room ? len : room;
        std::memcpy(out + used, r.text, n * sizeof(wchar_t));
        used += n;
        if (used == kRecentOutputUnits - 1) break;
    }
    out[used] = 0;
    return 0;
}
