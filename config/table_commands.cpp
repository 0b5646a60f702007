#include "config/table_commands.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "core/base/path_util.h"
#include "core/base/text_file.h"
#include "core/base/text_lines.h"
#include "core/files/file_dialog.h"
#include "core/record/engine.h"
#include "core/table/table_edit.h"
#include "core/table/table_replace.h"
#include "core/tabletools/list_table_builder.h"
#include "core/tabletools/table_builder.h"
#include "core/tabletools/table_exporter.h"
#include "core/tabletools/table_importer.h"
#include "dialog/control_text.h"
#include "dialog/ui_port.h"

namespace {

HWND g_progressBar = nullptr;
ProgressPercent g_percent;

void TextProgress(const wchar_t*, int32_t done, int32_t total) {
    ReportBuildProgress(nullptr, done, total);
}
void BuilderProgressHook(void* context, const wchar_t*, int32_t done, int32_t total) {
    ReportBuildProgress(context, done, total);
}

// The bar shown for one operation, and hidden again at its end.
class ProgressScope {
public:
    explicit ProgressScope(HWND bar) : bar_(bar) {
        g_progressBar = bar;
        g_percent.Reset();
        if (!bar) return;
        SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageW(bar, PBM_SETPOS, 0, 0);
        ShowWindow(bar, SW_SHOW);
        UpdateWindow(bar);
    }
    ~ProgressScope() { Hide(); }
    void Hide() {
        if (bar_) ShowWindow(bar_, SW_HIDE);
        bar_ = nullptr;
        g_progressBar = nullptr;
    }

private:
    HWND bar_;
};

int Ask(const TableCommand& c, const wchar_t* text) {
    return Ui().ShowMessage(c.owner, text, kProgramTitle, MB_YESNO | MB_ICONWARNING);
}

void Tell(const TableCommand& c, const wchar_t* text, const wchar_t* title, UINT icon) {
    Ui().ShowMessage(c.owner, text, title, MB_OK | icon);
}

bool ChooseText(const TableCommand& c, wchar_t (&path)[kPathChars]) {
    OPENFILENAMEW dialog;
    wchar_t folder[kPathChars];
    FillOpenFileDialog(dialog, c.owner, nullptr, kChooseTextTitle, kTextFilter, folder, path);
    if (Ui().ChooseOpenFile(dialog) && path[0]) return true;
    path[0] = 0;
    return false;
}

// A text read whole (owned).
struct ReadText {
    wchar_t* units = nullptr;
    size_t length = 0;
    ~ReadText() { std::free(units); }
    bool Read(const wchar_t* path) { return ReadTextFile(path, &units, &length) == 0 && units; }
    wchar_t* Release() {
        wchar_t* t = units;
        units = nullptr;
        return t;
    }
};

bool PathHas(const TableCommand& c, const wchar_t* part) {
    return c.tablePath && std::wcsstr(c.tablePath, part) != nullptr;
}
bool IsListTable(const TableCommand& c) {
    return PathHas(c, L"\\sysl.dmg") || PathHas(c, L"\\engl.dmg");
}
bool IsMainTable(const TableCommand& c) { return PathHas(c, L"\\main.dmg"); }

// Association and English tables: built again from a list text.
void RebuildList(const TableCommand& c) {
    if (Ask(c, kAskClearList) != IDYES) return;
    wchar_t path[kPathChars];
    if (!ChooseText(c, path)) return;
    bool firstHasHash = false;
    int built = 0;
    {
        ProgressScope progress(c.progressBar);
        built = RebuildListTableFromText(c.tablePath, path, &firstHasHash, TextProgress);
    }
    if (!built) {
        Tell(c, kImportFailed, kImportTitle, MB_ICONINFORMATION);
        return;
    }
    if (PathHas(c, L"\\sysl.dmg") && c.engine && c.engine->ime) {
        if (firstHasHash)
            c.engine->ime->features |= kFeatAssocHashForm;
        else
            c.engine->ime->features &= ~kFeatAssocHashForm;
    }
    Engine::RefreshTables(c.engine);
    Tell(c, kImportDone, kImportTitle, MB_ICONINFORMATION);
}

// Imports a text already read into the main table, into the command's class; reports the
// counts and offers the file of refused lines (closed before it is shown).
void ImportMainText(const TableCommand& c, ReadText& text) {
    if (!c.engine || !c.engine->mainTable) return;
    wchar_t rejectPath[kPathChars];
    FILE* reject = nullptr;
    if (MakeTempFilePath(kRejectFileName, rejectPath) > 0) {
        reject = _wfopen(rejectPath, L"wb");
        if (reject) std::fwrite("\xFF\xFE", 1, 2, reject);
    }
    int32_t added = 0, rejected = 0;
    bool stopped = false;
    {
        ProgressScope progress(c.progressBar);
        CodeTableImporter* importer = CodeTableImporter::Create();
        if (importer) {
            if (c.engine->dme) importer->rules = c.engine->dme->wordRules;
            importer->keyValueTable = c.engine->charTable;
            importer->progress = TextProgress;
            importer->report = {reject, 0};
            importer->targetClass = c.tableClass;
            importer->table = c.engine->mainTable;
            if (text.units) {
                importer->text = text.units;
                importer->textLength = text.length;
                CodeTableImporter::ReadDirectives(importer);
                if (CodeTableImporter::ImportAll(importer) >= 0)
                    added = CodeTableImporter::Commit(importer);
                stopped = importer->status != ImportStatus::kOk;
            }
            rejected = importer->report.lines;
            CodeTableImporter::Destroy(importer);
        } else {
            stopped = true;
        }
    }
    if (reject) std::fclose(reject);
    Engine::RefreshTables(c.engine);
    if (stopped) {
        Tell(c, kImportFailed, kImportTitle, MB_ICONINFORMATION);
        return;
    }
    wchar_t message[512];
    if (rejected > 0) {
        FormatBounded(message, 512, kImportRejects, added, rejected);
        if (Ui().ShowMessage(c.owner, message, kImportRejectsTitle, MB_YESNO | MB_ICONQUESTION) ==
                IDYES &&
            reject)
            Ui().ShellOpen(c.owner, L"open", rejectPath, nullptr, nullptr, SW_SHOWNORMAL);
    } else {
        FormatBounded(message, 512, kImportAdded, added);
        Tell(c, message, kProgramTitle, MB_ICONINFORMATION);
    }
}

// A replacement's question, then its text chosen and read; false (after saying why, where
// the file cannot be read) when there is nothing to replace with.
bool AskAndReadReplacement(const TableCommand& c, const wchar_t* question, ReadText* text) {
    if (Ask(c, question) != IDYES) return false;
    wchar_t path[kPathChars];
    if (!ChooseText(c, path)) return false;
    if (text->Read(path)) return true;
    Tell(c, kReplaceUnreadable, kProgramTitle, MB_ICONERROR);
    return false;
}

// The whole main table from a text: built into %TEMP% first, then copied in place.
void ReplaceMain(const TableCommand& c) {
    ReadText text;
    if (!AskAndReadReplacement(c, kAskReplace, &text)) return;
    wchar_t work[kPathChars];
    if (MakeTempFilePath(kReplaceWorkName, work) <= 0) {
        Tell(c, kReplaceNoAccess, kProgramTitle, MB_ICONERROR);
        return;
    }
    DeleteFileW(work);
    if (GetFileAttributesW(work) != INVALID_FILE_ATTRIBUTES) {
        Tell(c, kReplaceNoAccess, kProgramTitle, MB_ICONERROR);
        return;
    }
    int32_t lines = 0;
    {
        ProgressScope progress(c.progressBar);
        CodeTableBuilder* b = CodeTableBuilder::Create();
        if (b) {
            CodeTableBuilder::AddText(b, text.Release());
            b->progress = BuilderProgressHook;
            FormatBounded(b->outputPath, kPathChars, L"%ls", work);
            lines = CodeTableBuilder::ParseLines(b);
            if (lines > 0) CodeTableBuilder::WriteTable(b);
            CodeTableBuilder::Destroy(b);
        }
    }
    if (lines <= 0) {
        DeleteFileW(work);
        Tell(c, kReplaceNoEntries, kProgramTitle, MB_ICONERROR);
        return;
    }
    MappedFile* opened = nullptr;
    if (GetFileAttributesW(work) == INVALID_FILE_ATTRIBUTES ||
        MappedFile::Open(&opened, work) <= 0 || !opened) {
        Tell(c, kReplaceNotBuilt, kProgramTitle, MB_ICONERROR);
        return;
    }
    MappedFilePtr fresh(opened);
    switch (ReplaceTableInPlace(c.engine->mainTable, fresh.get())) {
        case TableWriteResult::kDone:
            break;
        case TableWriteResult::kGrowFailed:
            Tell(c, kReplaceNoGrow, kProgramTitle, MB_ICONERROR);
            break;
        default:
            Tell(c, kReplaceNotBuilt, kProgramTitle, MB_ICONERROR);
            break;
    }
    Engine::RefreshTables(c.engine);
}

// One class of the main table from a text: the text is chosen and read before the class is
// removed, so that a cancel or an unreadable file loses nothing.
void ReplaceClass(const TableCommand& c) {
    ReadText text;
    if (!AskAndReadReplacement(c, kAskReplaceClass, &text)) return;
    if (!CodeTable::RemoveCategories(c.engine->mainTable, 1u << c.tableClass)) {
        Tell(c, kImportFailed, kImportTitle, MB_ICONINFORMATION);
        return;
    }
    ImportMainText(c, text);
}

bool MainClassCommand(const TableCommand& c) {
    return IsMainTable(c) && c.engine && c.engine->mainTable && c.tableClass >= 0 &&
           c.tableClass < kTableClasses;
}

}  // namespace

void ReportBuildProgress(void*, int64_t done, int64_t total) {
    if (!g_progressBar) return;
    const int percent = g_percent.Next(done, total);
    if (percent < 0) return;
    SendMessageW(g_progressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    UpdateWindow(g_progressBar);
}

void ImportTable(const TableCommand& c) {
    if (PathHas(c, L"temp.dmg")) return;
    if (IsListTable(c)) {
        RebuildList(c);
        return;
    }
    if (!MainClassCommand(c)) return;
    wchar_t path[kPathChars];
    if (!ChooseText(c, path)) return;
    ReadText text;
    text.Read(path);  // an unreadable text adds nothing and says so
    ImportMainText(c, text);
}

void ExportTable(const TableCommand& c) {
    if (PathHas(c, L"temp.dmg") || !c.tablePath) return;
    wchar_t documents[kPathChars], folder[kPathChars];
    if (!GetDocumentsFolder(documents)) return;
    const SoftConfigData* soft = c.engine ? c.engine->soft : nullptr;
    const std::wstring setName =
        soft ? std::wstring(soft->productName, wcsnlen(soft->productName, kSoftShortUnits - 1))
             : std::wstring();
    if (!ExportFolderPath(documents, setName.c_str(), folder)) return;
    CreateDirectoryPath(folder);
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;

    wchar_t file[kPathChars] = {};
    bool named = false;
    int32_t written = 0;
    MappedFile* opened = nullptr;
    if (MappedFile::Open(&opened, c.tablePath) > 0 && opened) {
        MappedFilePtr table(opened);
        ProgressScope progress(c.progressBar);
        named = ExportFilePath(c.table, c.tableClass, soft, folder, file);
        if (named) {
            CodeTableExporter* exporter = CodeTableExporter::Create(
                nullptr, TextProgress, c.tableClass, soft ? soft->classPermissions : nullptr,
                soft ? soft->classAliases : nullptr);
            if (exporter) {
                written = CodeTableExporter::Export(exporter, table.get(), file);
                CodeTableExporter::Destroy(exporter);
            }
            if (written < 1) DeleteFileW(file);
        }
    }
    if (!named) {
        Tell(c, kNotPermitted, kProgramTitle, MB_ICONERROR);
        return;
    }
    if (written < 1) {
        Tell(c, kExportFailed, kProgramTitle, MB_ICONERROR);
        return;
    }
    wchar_t parameters[kPathChars + 16];
    FormatBounded(parameters, kPathChars + 16, L"/select,\"%ls\"", file);
    Ui().ShellOpen(c.owner, L"open", L"Explorer.exe", parameters, nullptr, SW_SHOWNORMAL);
}

void ReplaceTable(const TableCommand& c) {
    if (PathHas(c, L"temp.dmg")) return;
    if (IsListTable(c)) {
        RebuildList(c);
        return;
    }
    if (!MainClassCommand(c) || !ClassEditable(c.engine->soft, c.tableClass)) return;
    if (c.tableClass == 0)
        ReplaceMain(c);
    else
        ReplaceClass(c);
}

void ClearTable(const TableCommand& c) {
    if (!c.tablePath) return;
    if (IsMainTable(c)) {
        if (!MainClassCommand(c)) return;
        const bool editable = ClassEditable(c.engine->soft, c.tableClass);
        if (c.tableClass == 0) {
            if (!editable || Ask(c, kAskClear) != IDYES) return;
            if (ClearTableInPlace(c.engine->mainTable) != TableWriteResult::kDone)
                Tell(c, kClearFailed, kProgramTitle, MB_ICONERROR);
        } else {
            if (!editable) {
                Tell(c, kClassNotPermitted, kProgramTitle, MB_ICONERROR);
                return;
            }
            if (Ask(c, kAskClear) != IDYES) return;
            if (!CodeTable::RemoveCategories(c.engine->mainTable, 1u << c.tableClass))
                Tell(c, kClearFailed, kProgramTitle, MB_ICONERROR);
        }
        Engine::RefreshTables(c.engine);
        return;
    }
    if (Ask(c, kAskClear) != IDYES) return;
    MappedFile* opened = nullptr;
    TableWriteResult r = TableWriteResult::kNoTable;
    if (MappedFile::Open(&opened, c.tablePath) > 0 && opened) {
        MappedFilePtr table(opened);
        r = PathHas(c, L"temp.dmg") ? ClearTempTableInPlace(table.get())
                                    : ClearTableInPlace(table.get());
    }
    if (r != TableWriteResult::kDone) Tell(c, kClearFailed, kProgramTitle, MB_ICONERROR);
    Engine::RefreshTables(c.engine);
}
