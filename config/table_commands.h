// The five commands of the "码表" page on the selected table: import, export, replace and
// clear (view opens the viewer from the page). Each runs to its end on the calling thread,
// asks and reports through the dialog port, and shows its progress on the given bar.
#pragma once
#include <windows.h>

#include <cstdint>

#include "config/table_manager_rules.h"

struct Engine;

struct TableCommand {
    Engine* engine;
    HWND owner;        // of the questions, messages and file dialogs
    HWND progressBar;  // null: no progress shown
    ManagerTable table;
    int tableClass;
    const wchar_t* tablePath;
};

void ImportTable(const TableCommand& command);
void ExportTable(const TableCommand& command);
void ReplaceTable(const TableCommand& command);
void ClearTable(const TableCommand& command);

// The progress callback of the builders, importer and exporter: the bar of the running
// command gets each new percentage (nothing when no command runs).
void ReportBuildProgress(void* context, int64_t done, int64_t total);
