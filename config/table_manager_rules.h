// What the "码表" page decides, without a window: its rows, what a selected row allows, the
// progress percentages, and the names of the export folder and files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/path_util.h"
#include "core/settings/config_blocks.h"

// The tables a row stands for.
enum class ManagerTable { None, Main, Temp, Association, English };

constexpr wchar_t kTempTableName[] = L"临时词表";
constexpr wchar_t kAssociationTableName[] = L"联想码表";
constexpr wchar_t kEnglishTableName[] = L"英文码表";
constexpr wchar_t kMainTableName[] = L"输入编码表";
constexpr wchar_t kCheckMark[] = L"√";

// One row of the table list: column 0 holds the class number as text (-1 for the tables
// other than main.dmg), then name, entry count, "可写" and "使用".
struct ManagerRow {
    int tableClass;
    std::wstring name;
    int32_t count;
    std::wstring writable;
    std::wstring inUse;
};

// What the list is built from. A table that is not mapped has no row.
struct ManagerTables {
    const SoftConfigData* soft;
    const int32_t* classCounts;  // 64 counters of main.dmg by class
    int32_t mainCount;
    bool hasTemp, hasAssociation, hasEnglish;
    int32_t tempCount, associationCount, englishCount;
};

std::vector<ManagerRow> BuildManagerRows(const ManagerTables& tables);

// The alias of a class (empty for a class outside 0-31 or an unterminated alias).
std::wstring ClassAlias(const SoftConfigData* soft, int tableClass);
bool ClassEditable(const SoftConfigData* soft, int tableClass);

// What a selected row makes of the page. applies false: the row changes nothing (an unknown
// name of class -1). commandsSet false: only the table and view were set (a class above 31).
struct ManagerSelection {
    bool applies = false;
    bool commandsSet = false;
    ManagerTable table = ManagerTable::None;
    const wchar_t* fileName = L"";  // in the data folder
    bool view = false, import = false, exportTable = false, replace = false, clear = false;
    const wchar_t* viewCaption = L"编辑(&E)";
};
ManagerSelection DecideSelection(int tableClass, const wchar_t* name, const SoftConfigData* soft);
// No row selected: every command off.
ManagerSelection NoSelection();

// The class of column 0's text ("-1", "0" ... "31"); false for anything else.
bool ParseRowClass(const wchar_t* text, int* tableClass);

// Progress of a long operation: the percentage to send for done of total (single precision,
// truncated, capped at 100), or -1 when nothing is to be sent (total 0, or the same value as
// the last one sent).
class ProgressPercent {
public:
    int Next(int64_t done, int64_t total);
    void Reset() { last_ = -1; }

private:
    int last_ = -1;
};

// The export folder: documents (ending in "\" or not), "[ ", the table-set name, " ]". False
// when it does not fit.
bool ExportFolderPath(const wchar_t* documents, const wchar_t* setName, wchar_t (&out)[kPathChars]);
// The file an export writes in folder; false when the class may not be exported (a class
// other than 0 without its editable bit, or a table that is not exported).
bool ExportFilePath(ManagerTable table, int tableClass, const SoftConfigData* soft,
                    const wchar_t* folder, wchar_t (&out)[kPathChars]);

// Texts of the page.
constexpr wchar_t kProgramTitle[] = L"配置程序";
constexpr wchar_t kAskClearList[] =
    L"该操作将清空选中码表中已有的所有词条，并且不可恢复。\r\n确定这样做吗？";
constexpr wchar_t kChooseTextTitle[] = L"选择一个文本格式的原始定义文件...";
constexpr wchar_t kTextFilter[] = L"TXT文件(*.txt)\0*.txt\0所有文件(*.*)\0*.*\0";
constexpr wchar_t kImportTitle[] = L"词条导入";
constexpr wchar_t kImportDone[] = L"词条导入成功。";
constexpr wchar_t kImportFailed[] = L"词条导入失败。";
constexpr wchar_t kRejectFileName[] = L"未能添加的词条.txt";
constexpr wchar_t kImportRejects[] =
    L"成功添加词条数: %d\r\n无法添加的词条个数为: %d。\r\n是否现在查看无法导入的词条？";
constexpr wchar_t kImportRejectsTitle[] = L"批量添加完成";
constexpr wchar_t kImportAdded[] = L"批量加词完成，成功添加词条数: %d";
constexpr wchar_t kNotPermitted[] = L"该码表未被授权修改！";
constexpr wchar_t kExportFailed[] = L"导出失败";
constexpr wchar_t kAskReplace[] =
    L"该操作将替换选中码表中已有的全部词条，并且原有词条不可恢复。\r\n确定这样做吗？";
constexpr wchar_t kReplaceWorkName[] = L"zantor_temp.dmg";
constexpr wchar_t kReplaceNoAccess[] = L"访问 %temp%\\zantor_temp.dmg失败，替换操作无法继续。";
constexpr wchar_t kReplaceNotBuilt[] = L"无法创建 %temp%\\zantor_temp.dmg ，替换操作无法继续。";
constexpr wchar_t kReplaceNoGrow[] = L"无法重设主码表文件，替换操作无法继续。";
constexpr wchar_t kReplaceUnreadable[] = L"无法读取所选文件，替换操作无法继续。";
constexpr wchar_t kReplaceNoEntries[] = L"所选文件中没有可用的词条，替换操作无法继续。";
constexpr wchar_t kAskReplaceClass[] =
    L"该操作将会清空当前分类的所有词条，并且不可恢复。\r\n是否继续？";
constexpr wchar_t kAskClear[] =
    L"该操作将清空选中码表类型中的所有词条，此操作是不可恢复的。\r\n确定这样做吗？";
constexpr wchar_t kClassNotPermitted[] = L"当前分类的词条未被授权修改，所以您不能清空此类内容！";
constexpr wchar_t kClearFailed[] = L"码表已损坏或无法写入，清空操作未能完成。";
