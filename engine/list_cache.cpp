#include "engine/list_cache.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "core/table/table_format.h"
#include "engine/candidates.h"
#include "engine/effective_settings.h"
#include "engine/lookup.h"
#include "engine/symbol_display.h"

namespace {

// Everything of the settings a prefix lookup reads, as whole words.
struct ListSettings {
    uint32_t imeOptions;
    uint32_t inputOptions;
    uint32_t features;
    uint32_t listOptions;
    uint32_t state;
    uint32_t showWordsLength;
};

struct TableId {
    const uint8_t* view;
    int32_t size;
    int32_t count;
    uint32_t heapStart;
    uint32_t changeCount;
};

// One kept candidate: its entry's offset in its table with temporary-table and exact-code
// marks. Hints are read again from the codes when served.
using Row = uint32_t;

constexpr uint32_t kRowTemp = 0x80000000u;
constexpr uint32_t kRowExact = 0x40000000u;
constexpr uint32_t kRowOffsetMask = 0x3FFFFFFFu;

struct Slot {
    uint8_t key[1 + kListCacheMaxKey];
    ListSettings settings;
    TableId main, temp;
    uint32_t epoch;
    Row* rows;
    uint32_t count;
    uint64_t lastUse;
};

struct Cache {
    Slot slots[kListCacheSlots];
    size_t rows;
    uint64_t clock;
};

SRWLOCK g_lock = SRWLOCK_INIT;
Cache g_cache;

class Locked {
public:
    Locked() { AcquireSRWLockExclusive(&g_lock); }
    ~Locked() { ReleaseSRWLockExclusive(&g_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

ListSettings SettingsOf(const Engine* e) {
    ListSettings s{};
    s.imeOptions = ImeOptions(e);
    s.inputOptions = InputOptions(e);
    s.features = e->ime->features & ~kFeatKeyRoots;  // applied to the hints when served
    s.listOptions = e->ime->listOptions;
    s.state = e->state & (kStateSecondaryPass | kStateAssociation);
    s.showWordsLength = e->dme->showWordsLength;
    return s;
}

TableId IdOf(const MappedFile* t) {
    TableId id{};
    if (!t || !t->view) return id;
    TableView v = MakeTableView(t);
    id.view = t->view;
    id.size = t->size;
    id.count = v.count;
    id.heapStart = v.heapStart;
    id.changeCount = TableChangeCount(t);
    return id;
}

bool SameId(const TableId& a, const TableId& b) {
    return a.view == b.view && a.size == b.size && a.count == b.count &&
           a.heapStart == b.heapStart && a.changeCount == b.changeCount;
}

bool SameSettings(const ListSettings& a, const ListSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameKey(const uint8_t* a, const uint8_t* b) {
    return a[0] == b[0] && std::memcmp(a + 1, b + 1, a[0]) == 0;
}

void DropSlot(Cache& c, Slot& s) {
    if (s.rows) {
        delete[] s.rows;
        c.rows -= s.count;
    }
    s = Slot{};
}

Slot* Find(Cache& c, const uint8_t* key, const ListSettings& settings, const TableId& main,
           const TableId& temp, uint32_t epoch) {
    for (Slot& s : c.slots) {
        if (!s.rows || !SameKey(s.key, key)) continue;
        if (s.epoch == epoch && SameSettings(s.settings, settings) && SameId(s.main, main) &&
            SameId(s.temp, temp))
            return &s;
        // The same code kept under other settings or tables is stale now.
        DropSlot(c, s);
    }
    return nullptr;
}

// A slot for n rows, dropping the least recently used lists to make room.
Slot* MakeRoom(Cache& c, size_t n) {
    for (;;) {
        Slot* free = nullptr;
        Slot* oldest = nullptr;
        for (Slot& s : c.slots) {
            if (!s.rows) {
                if (!free) free = &s;
            } else if (!oldest || s.lastUse < oldest->lastUse) {
                oldest = &s;
            }
        }
        if (free && c.rows + n <= kListCacheRows) return free;
        if (!oldest) return nullptr;
        DropSlot(c, *oldest);
    }
}

const MappedFile* Temp(const Engine* e) { return e->tempTable; }

}  // namespace

bool ListCacheApplies(const Engine* e, const uint8_t* key) {
    if (!e || !key || key[0] == 0 || key[0] > kListCacheMaxKey) return false;
    if (!e->ime || !e->dme || e->candidateCount != 0) return false;
    if (!(InputOptions(e) & kInputPrefixSearch) || (InputOptions(e) & kInputWildcardMatching))
        return false;
    const MappedFile* main = e->mainTable;
    if (!main || !main->IsMapped() || main->size > static_cast<int32_t>(kRowOffsetMask))
        return false;
    const MappedFile* temp = Temp(e);
    if (temp && (!temp->IsMapped() || temp->size > static_cast<int32_t>(kRowOffsetMask)))
        return false;
    return true;
}

bool ServeCachedList(Engine* e, const uint8_t* key) {
    ListSettings settings = SettingsOf(e);
    TableId main = IdOf(e->mainTable), temp = IdOf(Temp(e));
    uint32_t epoch = MappedFile::ViewEpoch();
    bool keyRoots = (e->ime->features & kFeatKeyRoots) != 0;
    {
        Locked lock;
        Slot* s = Find(g_cache, key, settings, main, temp, epoch);
        if (!s) return false;
        s->lastUse = ++g_cache.clock;
        const uint8_t* mainBase = e->mainTable->view;
        const uint8_t* tempBase = Temp(e) ? Temp(e)->view : nullptr;
        for (uint32_t i = 0; i < s->count; ++i) {
            Row r = s->rows[i];
            Candidate& c = e->candidates[i];
            bool inTemp = (r & kRowTemp) != 0;
            c.entry = (inTemp ? tempBase : mainBase) + (r & kRowOffsetMask);
            c.kind = inTemp ? kTempTableKind : kMainTableKind;
            c.weight = (r & kRowExact) ? kWeightExact : kWeightLonger;
            LeaveHint(c, key[0], keyRoots);
        }
        e->candidateCount = s->count;
        e->orderPending = 0;
    }
    GiveFirstHints(e);
    return true;
}

void KeepCachedList(Engine* e, const uint8_t* key) {
    OrderCandidatesUpTo(e, e->candidateCount);
    int64_t n = e->candidateCount;
    if (n <= 0 || n > kMaxCandidates || static_cast<size_t>(n) > kListCacheRows) return;
    const MappedFile* main = e->mainTable;
    const MappedFile* temp = Temp(e);
    Row* rows = new (std::nothrow) Row[static_cast<size_t>(n)];
    if (!rows) return;
    for (int64_t i = 0; i < n; ++i) {
        const Candidate& c = e->candidates[i];
        const MappedFile* t = c.kind == kMainTableKind   ? main
                              : c.kind == kTempTableKind ? temp
                                                         : nullptr;
        bool weightKnown = c.weight == kWeightExact || c.weight == kWeightLonger;
        if (!t || !weightKnown || c.entry < t->view || c.entry >= t->view + t->size) {
            delete[] rows;
            return;
        }
        rows[i] = static_cast<uint32_t>(c.entry - t->view) |
                  (t == temp && t != main ? kRowTemp : 0) |
                  (c.weight == kWeightExact ? kRowExact : 0);
    }
    ListSettings settings = SettingsOf(e);
    TableId mainId = IdOf(main), tempId = IdOf(temp);
    uint32_t epoch = MappedFile::ViewEpoch();
    Locked lock;
    Cache& c = g_cache;
    if (Slot* old = Find(c, key, settings, mainId, tempId, epoch)) DropSlot(c, *old);
    Slot* s = MakeRoom(c, static_cast<size_t>(n));
    if (!s) {
        delete[] rows;
        return;
    }
    std::memcpy(s->key, key, 1u + key[0]);
    s->settings = settings;
    s->main = mainId;
    s->temp = tempId;
    s->epoch = epoch;
    s->rows = rows;
    s->count = static_cast<uint32_t>(n);
    s->lastUse = ++c.clock;
    c.rows += s->count;
}

size_t ListCacheBytes() {
    Locked lock;
    return sizeof(Cache) + g_cache.rows * sizeof(Row);
}

void ClearListCache() {
    Locked lock;
    for (Slot& s : g_cache.slots) DropSlot(g_cache, s);
    g_cache.clock = 0;
}
