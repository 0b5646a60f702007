#include "core/record/engine_open.h"

#include <objbase.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/base/registry.h"
#include "core/table/table_format.h"

namespace {

constexpr size_t kGuidTextMax = kGuidTextUnits - 1;

bool SetGuid(Engine* e, const wchar_t* guidText) {
    if (!guidText) return false;
    const size_t n = wcsnlen(guidText, kGuidTextMax + 1);
    if (n == 0 || n > kGuidTextMax) return false;  // a cut text names another GUID
    std::memcpy(e->guidText, guidText, n * sizeof(wchar_t));
    e->guidText[n] = 0;
    return SUCCEEDED(IIDFromString(e->guidText, &e->guid));
}

// An empty folder value would make every file name relative to the current folder.
bool ReadFolders(Engine* e) {
    return ReadImeName(e->guidText, e->imeName) && e->imeName[0] &&
           ReadInstallLocation(e->guidText, e->installLocation) && e->installLocation[0] &&
           ReadDataLocation(e->guidText, e->dataLocation) && e->dataLocation[0];
}

}  // namespace

Engine* AllocateEngineRecord() {
    auto* e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    if (!e) return nullptr;
    e->osVersion.dwOSVersionInfoSize = sizeof e->osVersion;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&e->osVersion);
#pragma GCC diagnostic pop
    return e;
}

bool MainTableMatches(const Engine* e) {
    const MappedFile* t = e ? e->mainTable : nullptr;
    if (!t || !t->view || t->size < static_cast<int32_t>(sizeof(TableFileHeader))) return false;
    uint16_t version;
    std::memcpy(&version, t->view + offsetof(TableFileHeader, version), sizeof version);
    return std::memcmp(t->view + offsetof(TableFileHeader, guid), &e->guid, sizeof(GUID)) == 0 &&
           version == kTableVersion;
}

bool SettingsMatch(const Engine* e) {
    return e && e->soft && std::memcmp(e->soft->guid, &e->guid, sizeof(GUID)) == 0;
}

bool OpenEngineRecord(Engine* e, const wchar_t* guidText) {
    return e && SetGuid(e, guidText) && ReadFolders(e) && Engine::OpenTables(e) &&
           MainTableMatches(e) && Engine::FindSettingsBlocks(e) && SettingsMatch(e);
}

void FreeEngineRecord(Engine* e) {
    if (!e) return;
    e->soft = nullptr;
    e->ime = nullptr;
    e->dme = nullptr;
    e->skin = nullptr;
    Engine::CloseTables(e);
    std::free(e);
}
