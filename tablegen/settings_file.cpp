#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/base/mapped_file.h"
#include "core/base/text_file.h"
#include "core/settings/config_blocks.h"
#include "core/settings/settings_import.h"
#include "tablegen/commands.h"
#include "tablegen/console.h"
#include "tablegen/file_output.h"
#include "tablegen/shipped_settings.h"
#include "textservice/export/section_codec.h"

namespace {

struct FreeText {
    void operator()(wchar_t* p) const { free(p); }
};

// The new file's blocks filled from the text and the fields the text has no keys for.
bool FillSettings(const wchar_t* path, const wchar_t* text, const GUID& guid) {
    MappedFile* raw = nullptr;
    MappedFile::Open(&raw, path);
    MappedFilePtr file(raw);
    if (!file || !file->IsMapped()) return false;
    ImeConfigData* ime = FindImeConfig(file.get());
    DmeConfigData* dme = FindDmeConfig(file.get());
    SkinConfigData* skin = FindSkinConfig(file.get());
    SoftConfigData* soft = FindSoftConfig(file.get());
    if (!ime || !dme || !skin || !soft) return false;
    SetShippedBuildFields(ime);
    if (!ImportSettingsText(text, ime, dme, skin, &InputMethodOptionCodec())) return false;
    SetShippedFields(dme, skin, soft, guid);
    return MappedFile::Flush(file.get());
}

}  // namespace

int BuildSettingsFile(const wchar_t* textPath, const wchar_t* outPath, const wchar_t* guidText) {
    GUID guid{};
    if (IIDFromString(guidText, &guid) != S_OK) {
        PrintErrorLine(std::wstring(L"not a GUID: ") + guidText);
        return 0;
    }
    wchar_t* raw = nullptr;
    if (ReadTextFile(textPath, &raw) != 0) {
        PrintErrorLine(std::wstring(L"cannot read ") + textPath);
        return 0;
    }
    std::unique_ptr<wchar_t, FreeText> text(raw);
    const std::wstring work = WorkFilePath(outPath);
    if (!CreateConfigFile(work.c_str()) || !FillSettings(work.c_str(), text.get(), guid) ||
        !CommitWorkFile(outPath)) {
        PrintErrorLine(std::wstring(L"cannot write ") + outPath);
        DeleteFileW(work.c_str());
        return 0;
    }
    PrintLine(std::wstring(outPath) + L": settings from " + textPath);
    return 1;
}
