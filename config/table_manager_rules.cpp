#include "config/table_manager_rules.h"

#include <cwchar>

#include "core/table/table_format.h"
#include "dialog/control_text.h"

std::wstring ClassAlias(const SoftConfigData* soft, int tableClass) {
    if (!soft || tableClass < 0 || tableClass >= kTableClasses) return {};
    const wchar_t* a = soft->classAliases[tableClass];
    return std::wstring(a, wcsnlen(a, kClassAliasUnits - 1));
}

bool ClassEditable(const SoftConfigData* soft, int tableClass) {
    return soft && tableClass >= 0 && tableClass < kTableClasses &&
           (soft->classPermissions[tableClass] & kClassWritable) != 0;
}

namespace {

std::wstring Mark(bool on) { return on ? kCheckMark : L""; }

ManagerRow ClassRow(const ManagerTables& t, int cls, bool withMainAlias) {
    ManagerRow r;
    r.tableClass = cls;
    r.name = withMainAlias ? L"    " + ClassAlias(t.soft, 0) + L" - " + ClassAlias(t.soft, cls)
                           : L"    " + ClassAlias(t.soft, cls);
    r.count = t.classCounts ? t.classCounts[cls] : 0;
    const uint32_t p = t.soft ? t.soft->classPermissions[cls] : 0;
    r.writable = Mark(p & kClassWritable);
    r.inUse = Mark(p & kClassInUse);
    return r;
}

ManagerRow OtherRow(const wchar_t* name, int32_t count) { return {-1, name, count, L"-", L"-"}; }

}  // namespace

std::vector<ManagerRow> BuildManagerRows(const ManagerTables& t) {
    std::vector<ManagerRow> rows;
    rows.push_back({0, kMainTableName, t.mainCount, Mark(ClassEditable(t.soft, 0)), L"-"});
    rows.push_back(ClassRow(t, kClassSystem, true));
    for (int cls = kClassCategoryFirst; cls < kTableClasses; ++cls) {
        if (ClassAlias(t.soft, cls).empty()) break;
        rows.push_back(ClassRow(t, cls, true));
    }
    if (!ClassAlias(t.soft, kClassSecondary).empty())
        rows.push_back(ClassRow(t, kClassSecondary, true));
    if (!ClassAlias(t.soft, kClassUser).empty()) rows.push_back(ClassRow(t, kClassUser, true));
    if (!ClassAlias(t.soft, kClassAuxCode).empty())
        rows.push_back(ClassRow(t, kClassAuxCode, false));
    if (t.hasTemp) rows.push_back(OtherRow(kTempTableName, t.tempCount));
    if (t.hasAssociation) rows.push_back(OtherRow(kAssociationTableName, t.associationCount));
    if (t.hasEnglish) rows.push_back(OtherRow(kEnglishTableName, t.englishCount));
    return rows;
}

ManagerSelection NoSelection() {
    ManagerSelection s;
    s.applies = true;
    s.commandsSet = true;
    return s;
}

ManagerSelection DecideSelection(int tableClass, const wchar_t* name, const SoftConfigData* soft) {
    ManagerSelection s;
    if (tableClass < 0) {
        const std::wstring n = name ? name : L"";
        if (n == kTempTableName) {
            s.table = ManagerTable::Temp;
            s.fileName = L"temp.dmg";
            s.view = s.clear = true;
            s.viewCaption = L"查看(&V)";
        } else if (n == kAssociationTableName || n == kEnglishTableName) {
            s.table =
                n == kAssociationTableName ? ManagerTable::Association : ManagerTable::English;
            s.fileName = n == kAssociationTableName ? L"sysl.dmg" : L"engl.dmg";
            s.view = s.import = s.exportTable = s.replace = s.clear = true;
        } else {
            return s;
        }
        s.applies = s.commandsSet = true;
        return s;
    }
    s.applies = true;
    s.table = ManagerTable::Main;
    s.fileName = L"main.dmg";
    s.view = true;
    if (tableClass >= kTableClasses) return s;
    s.commandsSet = true;
    const bool editable = ClassEditable(soft, tableClass);
    s.import = s.exportTable = s.replace = s.clear = editable;
    s.viewCaption = editable ? L"编辑(&E)" : L"查看(&E)";
    return s;
}

bool ParseRowClass(const wchar_t* text, int* tableClass) {
    if (!text || !text[0]) return false;
    wchar_t* end = nullptr;
    long v = std::wcstol(text, &end, 10);
    if (*end || v < -1 || v > 63) return false;
    *tableClass = static_cast<int>(v);
    return true;
}

int ProgressPercent::Next(int64_t done, int64_t total) {
    if (total == 0) return -1;
    float f = static_cast<float>(done) * 100.0f / static_cast<float>(total);
    int percent = f >= 100.0f ? 100 : f <= 0.0f ? 0 : static_cast<int>(f);
    if (percent == last_) return -1;
    last_ = percent;
    return percent;
}

bool ExportFolderPath(const wchar_t* documents, const wchar_t* setName,
                      wchar_t (&out)[kPathChars]) {
    const size_t n = documents ? std::wcslen(documents) : 0;
    const bool slash = n > 0 && documents[n - 1] == L'\\';
    return FormatBounded(out, kPathChars, L"%ls%ls[ %ls ]", documents ? documents : L"",
                         slash ? L"" : L"\\", setName ? setName : L"");
}

bool ExportFilePath(ManagerTable table, int tableClass, const SoftConfigData* soft,
                    const wchar_t* folder, wchar_t (&out)[kPathChars]) {
    out[0] = 0;
    switch (table) {
        case ManagerTable::Association:
            return FormatBounded(out, kPathChars, L"%ls\\导出 - 联想码表.txt", folder);
        case ManagerTable::English:
            return FormatBounded(out, kPathChars, L"%ls\\导出 - 英文码表.txt", folder);
        case ManagerTable::Main:
            break;
        default:
            return false;
    }
    if (tableClass == 0) return FormatBounded(out, kPathChars, L"%ls\\导出 - 全部词条.txt", folder);
    if (!ClassEditable(soft, tableClass)) return false;
    const std::wstring alias = ClassAlias(soft, tableClass);
    const wchar_t* kind = nullptr;
    if (tableClass == kClassSystem || tableClass == kClassUser ||
        (tableClass >= static_cast<int>(kClassCategoryFirst) && tableClass < kTableClasses))
        kind = L"主码";
    else if (tableClass == kClassSecondary)
        kind = L"次显";
    else if (tableClass == kClassAuxCode)
        kind = L"辅码";
    if (!kind) return false;
    return FormatBounded(out, kPathChars, L"%ls\\导出 - %ls - %ls.txt", folder, kind,
                         alias.c_str());
}
