#include "config/update_task.h"

#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "config/http_download.h"
#include "core/base/folder_tree.h"
#include "core/base/handles.h"
#include "core/base/mapped_file.h"
#include "core/base/text_file.h"
#include "core/base/version_text.h"
#include "core/files/archive.h"
#include "core/record/engine.h"
#include "core/record/engine_open.h"
#include "dialog/ui_port.h"

namespace {

DWORD g_retryDelay = 1000;

void Log(const UpdateReports& r, const wchar_t* text) {
    if (r.log && (!text || text[0])) r.log(r.context, text);
}

void LogFormat(const UpdateReports& r, const wchar_t* format, ...) {
    wchar_t text[kUpdateLogUnits + 256];
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, sizeof text / sizeof text[0], format, args);
    va_end(args);
    text[sizeof text / sizeof text[0] - 1] = 0;
    Log(r, text);
}

void ShowProgress(const UpdateReports& r, const wchar_t* text) {
    if (r.progress) r.progress(r.context, text);
}

void DownloadProgress(void* context, uint64_t bytes) {
    const auto* r = static_cast<const UpdateReports*>(context);
    const std::wstring text = DownloadProgressText(bytes);
    if (!text.empty()) ShowProgress(*r, text.c_str());
}

void DownloadLog(void* context, const wchar_t* text) {
    Log(*static_cast<const UpdateReports*>(context), text);
}

void ArchiveShow(void* context, const wchar_t* text) {
    ShowProgress(*static_cast<const UpdateReports*>(context), text);
}

DownloadResult Download(const UpdateTask& task, const wchar_t* url, const wchar_t* file,
                        uint64_t maxBytes) {
    DownloadReports d{&DownloadProgress, &DownloadLog, const_cast<UpdateReports*>(&task.reports)};
    return HttpDownloadToFile(url, file, d, maxBytes);
}

std::string AdapterText() {
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return {};
    std::vector<uint8_t> buffer(size);
    auto* list = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (GetAdaptersInfo(list, &size) != NO_ERROR) return {};
    for (const IP_ADAPTER_INFO* a = list; a; a = a->Next) {
        if (a->AddressLength == 0) continue;
        const size_t n =
            a->AddressLength < sizeof a->Address ? a->AddressLength : sizeof a->Address;
        return FormatMacText(a->Address, n);
    }
    return {};
}

bool FolderExists(const wchar_t* path) {
    const DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Copies source over target through a mapping of the target (a file the input methods map).
bool CopyThroughMapping(const wchar_t* source, const wchar_t* target) {
    MappedFile* s = nullptr;
    MappedFile* t = nullptr;
    MappedFile::Open(&s, source);
    MappedFilePtr sp(s);
    if (!s || !s->IsMapped()) return false;
    MappedFile::Open(&t, target);
    MappedFilePtr tp(t);
    // A private copy would take the bytes and never write them.
    if (!t || !t->IsMapped()) return false;
    if (t->size != s->size && MappedFile::Resize(t, s->size) != s->size) return false;
    std::memcpy(t->view, s->view, static_cast<size_t>(s->size));
    return MappedFile::Flush(t);
}

bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>& out) {
    out.clear();
    zan::UniqueHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    HANDLE h = file.get();
    LARGE_INTEGER len{};
    bool ok = GetFileSizeEx(h, &len) && len.QuadPart >= 0 && len.QuadPart <= kMaxMappedSize;
    if (ok) {
        try {
            out.resize(static_cast<size_t>(len.QuadPart));
        } catch (...) {
            ok = false;
        }
    }
    size_t done = 0;
    while (ok && done < out.size()) {
        DWORD got = 0;
        const DWORD want =
            static_cast<DWORD>(out.size() - done < (1u << 24) ? out.size() - done : (1u << 24));
        ok = ReadFile(h, out.data() + done, want, &got, nullptr) && got > 0;
        done += got;
    }
    return ok;
}

const wchar_t* DataCheckText(DataFileCheck c) {
    switch (c) {
        case DataFileCheck::kUnknownName:
            return L"不是输入法的数据文件";
        case DataFileCheck::kBadSize:
            return L"文件大小或表头数值不正确";
        case DataFileCheck::kWrongKind:
            return L"码表类型不符";
        case DataFileCheck::kWrongVersion:
            return L"码表格式版本不符";
        case DataFileCheck::kWrongOwner:
            return L"不属于本输入法";
        case DataFileCheck::kBadSettings:
            return L"设置文件已损坏";
        case DataFileCheck::kOk:
            break;
    }
    return L"";
}

// Writes the version text into the three DisplayVersion values.
void WriteDisplayVersions(const wchar_t* guidText, const wchar_t* version) {
    const std::wstring guid = guidText;
    const std::wstring keys[] = {
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + guid,
        L"Software\\ZantorIME3\\" + guid,
        L"Software\\Wow6432Node\\ZantorIME3\\" + guid,
    };
    for (const std::wstring& k : keys)
        WriteRegistryString(HKEY_LOCAL_MACHINE, k.c_str(), L"DisplayVersion", version);
}

// Clears the work folder for a new update; false when it stays.
bool ClearWorkFolder(const wchar_t* folder) {
    for (int i = 0; i < 10; ++i) {
        if (!FolderExists(folder)) return true;
        DeleteFolderTree(folder, false);
        if (!FolderExists(folder)) return true;
        Sleep(g_retryDelay);
    }
    return !FolderExists(folder);
}

}  // namespace

const char* CheckOutcomeName(CheckOutcome o) {
    switch (o) {
        case CheckOutcome::kStartFailed:
            return "kStartFailed";
        case CheckOutcome::kUnreachable:
            return "kUnreachable";
        case CheckOutcome::kInstaller:
            return "kInstaller";
        case CheckOutcome::kData:
            return "kData";
        case CheckOutcome::kUpToDate:
            return "kUpToDate";
    }
    return "?";
}

const char* UpdateOutcomeName(UpdateOutcome o) {
    static const char* const kNames[] = {"kStartFailed",    "kNothingToDo",      "kWorkFolderBusy",
                                         "kBadUrl",         "kDownloadFailed",   "kNoDigest",
                                         "kDigestMismatch", "kExtractFailed",    "kNoSetup",
                                         "kSetupFailed",    "kInstallerStarted", "kDataRefused",
                                         "kDataFailed",     "kDataInstalled"};
    const auto i = static_cast<size_t>(o);
    return i < sizeof kNames / sizeof kNames[0] ? kNames[i] : "?";
}

void SetWorkFolderRetryDelay(DWORD ms) { g_retryDelay = ms; }

bool StartUpdateTask(UpdateTask& task, const wchar_t* guidText, const UpdateReports& reports) {
    std::memset(&task, 0, sizeof task);
    task.reports = reports;
    if (!guidText || !guidText[0] || std::wcslen(guidText) >= kGuidTextUnits) {
        Log(reports, kUpdateUnknownTarget);
        return false;
    }
    std::wcscpy(task.guidText, guidText);
    const DWORD n = GetTempPathW(kPathChars - 1, task.tempFolder);
    if (n == 0 || n >= kPathChars - 1) {
        task.tempFolder[0] = 0;
        Log(reports, kUpdateNoTempPath);
        return false;
    }
    if (task.tempFolder[n - 1] != L'\\') std::wcscat(task.tempFolder, L"\\");
    ReadImeName(guidText, task.imeName);
    ReadInstallLocation(guidText, task.installLocation);
    return true;
}

std::wstring BuildRequestUrl(const UpdateTask& task, const Engine* engine) {
    const SoftConfigData* soft = engine ? engine->soft : nullptr;
    std::wstring templ;
    if (soft) templ.assign(soft->updateUrl, wcsnlen(soft->updateUrl, kSoftUrlUnits));
    if (templ.empty()) {
        Log(task.reports, kUpdateNoTemplate);
        return {};
    }
    wchar_t version[32];
    if (!ReadImeRegistryValue(task.guidText, L"DisplayVersion", version, 32) || !version[0])
        std::wcscpy(version, L"0");
    const std::string mac = AdapterText();
    return BuildUpdateRequestUrl(templ, {version, soft->dataVersionNumber, mac, task.guidText});
}

bool FetchUpdateList(UpdateTask& task, const std::wstring& url) {
    std::memset(&task.info, 0, sizeof task.info);
    if (url.empty()) return false;
    wchar_t file[kPathChars];
    const int n = _snwprintf(file, kPathChars, L"%lsupdate_list.txt", task.tempFolder);
    if (n <= 0 || n >= kPathChars) return false;
    if (Download(task, url.c_str(), file, kMaxUpdateListBytes) != DownloadResult::kOk) return false;
    wchar_t* text = nullptr;
    size_t length = 0;
    if (ReadTextFile(file, &text, &length) != 0) return false;
    const UpdateListResult r = ParseUpdateList(text, length, task.info);
    std::free(text);
    DeleteFileW(file);
    return r == UpdateListResult::kOk;
}

CheckOutcome RunUpdateCheck(UpdateTask& task, const wchar_t* guidText, const Engine* engine,
                            const UpdateReports& reports) {
    if (!StartUpdateTask(task, guidText, reports)) return CheckOutcome::kStartFailed;
    Log(reports, nullptr);
    Log(reports, kUpdateChecking);
    CheckOutcome outcome;
    if (!FetchUpdateList(task, BuildRequestUrl(task, engine))) {
        Log(reports, kUpdateUnreachable);
        outcome = CheckOutcome::kUnreachable;
    } else {
        const UpdateInfo& info = task.info;
        const SoftConfigData* soft = engine->soft;
        switch (DecideUpdate(info, soft->buildNumber, soft->dataVersionNumber)) {
            case UpdateMode::kInstaller: {
                wchar_t version[kVersionTextUnits];
                FormatVersion(info.softVersion, version);
                LogFormat(reports, L"服务器存在新版本的安装程序, 版本号:%ls", version);
                LogFormat(reports, L"更新内容如下: \r\n%ls", info.log);
                LogFormat(reports, L"下载地址: %ls", info.softUrlx64);
                outcome = CheckOutcome::kInstaller;
                break;
            }
            case UpdateMode::kData:
                LogFormat(reports,
                          L"服务器存在新版本输入法数据\r\n服务器数据版本:%d\r\n本地数据版本:%d",
                          info.dataVersion, static_cast<int>(soft->dataVersionNumber));
                outcome = CheckOutcome::kData;
                break;
            default:
                Log(reports, kUpdateUpToDate);
                outcome = CheckOutcome::kUpToDate;
                break;
        }
    }
    Log(reports, kUpdateSeparator);
    return outcome;
}

DataInstallResult InstallDataFiles(const wchar_t* source, Engine* engine,
                                   const UpdateReports& reports) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = std::wstring(source) + L"*";
    struct FindHandle {
        HANDLE h;
        ~FindHandle() {
            if (h != INVALID_HANDLE_VALUE) FindClose(h);
        }
    } find{FindFirstFileW(pattern.c_str(), &found)};
    if (find.h != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileW(find.h, &found));
    }
    if (names.empty()) return DataInstallResult::kNoFiles;
    // Every file passes the opener's checks before any live file is touched.
    std::vector<uint8_t> bytes;
    for (const std::wstring& name : names) {
        const std::wstring path = source + name;
        DataFileCheck c = DataFileCheck::kBadSize;
        if (ReadWholeFile(path.c_str(), bytes))
            c = CheckDataFile(name.c_str(), bytes.data(), static_cast<int64_t>(bytes.size()),
                              engine->guid);
        if (c != DataFileCheck::kOk) {
            LogFormat(reports, L"数据文件 %ls 未通过检查: %ls", name.c_str(), DataCheckText(c));
            return DataInstallResult::kRefused;
        }
    }
    bool ok = true;
    for (const std::wstring& name : names) {
        LogFormat(reports, L"更新:%ls", name.c_str());
        const std::wstring from = source + name;
        const std::wstring to = std::wstring(engine->dataLocation) + name;
        if (CopyFileW(from.c_str(), to.c_str(), FALSE)) continue;
        // The settings file holds the running input methods' state: never rewritten under them.
        if (_wcsicmp(name.c_str(), L"config.dsc") == 0 ||
            !CopyThroughMapping(from.c_str(), to.c_str())) {
            LogFormat(reports, L"无法更新文件 %ls", name.c_str());
            ok = false;
        }
    }
    Engine::RefreshTables(engine);
    return ok ? DataInstallResult::kInstalled : DataInstallResult::kCopyFailed;
}

UpdateOutcome RunUpdate(UpdateTask& task, const wchar_t* guidText, Engine* engine, UpdateMode mode,
                        HWND owner, const UpdateReports& reports) {
    // The list of the last check stays: starting again clears the rest.
    const UpdateInfo info = task.info;
    if (!StartUpdateTask(task, guidText, reports)) return UpdateOutcome::kStartFailed;
    task.info = info;
    Log(reports, nullptr);
    Log(reports, kUpdateStarting);
    wchar_t work[kPathChars], archive[kPathChars];
    int n = _snwprintf(work, kPathChars, L"%ls%ls\\update", task.tempFolder, task.guidText);
    const int m = _snwprintf(archive, kPathChars, L"%ls\\temp.zip", work);
    UpdateOutcome outcome = UpdateOutcome::kNothingToDo;
    const wchar_t* url = mode == UpdateMode::kInstaller ? info.softUrlx64 : info.dataUrl;
    const wchar_t* digest = mode == UpdateMode::kInstaller ? info.softSha256x64 : info.dataSha256;
    bool keepWork = false;
    if (n <= 0 || n >= kPathChars || m <= 0 || m >= kPathChars || !ClearWorkFolder(work) ||
        !CreateDirectoryPath(work)) {
        Log(reports, kUpdateWorkFolderBusy);
        outcome = UpdateOutcome::kWorkFolderBusy;
    } else if (mode == UpdateMode::kNone) {
        outcome = UpdateOutcome::kNothingToDo;
    } else if (!IsDownloadableUrl(url)) {
        Log(reports, kUpdateBadUrl);
        outcome = UpdateOutcome::kBadUrl;
    } else if (Download(task, url, archive, kMaxUpdateArchiveBytes) != DownloadResult::kOk) {
        Log(reports, kUpdateDownloadFailed);
        outcome = UpdateOutcome::kDownloadFailed;
    } else if (const ArchiveCheck check = CheckArchiveDigest(archive, digest);
               check != ArchiveCheck::kOk) {
        Log(reports, check == ArchiveCheck::kNoDigest ? kUpdateNoDigest : kUpdateDigestMismatch);
        outcome = check == ArchiveCheck::kNoDigest ? UpdateOutcome::kNoDigest
                                                   : UpdateOutcome::kDigestMismatch;
    } else {
        ShowProgress(reports, L"");
        ArchiveProgress progress{&ArchiveShow, const_cast<UpdateReports*>(&task.reports)};
        const bool extracted = ExtractArchive(archive, work, &progress) == 1;
        DeleteFileW(archive);
        if (!extracted) {
            Log(reports, kUpdateExtractFailed);
            outcome = UpdateOutcome::kExtractFailed;
        } else if (mode == UpdateMode::kInstaller) {
            const std::wstring setup = std::wstring(work) + L"\\setup.exe";
            if (GetFileAttributesW(setup.c_str()) == INVALID_FILE_ATTRIBUTES) {
                Log(reports, kUpdateNoSetup);
                outcome = UpdateOutcome::kNoSetup;
            } else if (!Ui().ShellOpen(owner, L"open", setup.c_str(), L"", work, SW_SHOWNORMAL)) {
                Log(reports, kUpdateSetupFailed);
                outcome = UpdateOutcome::kSetupFailed;
            } else {
                // The installer runs from the work folder: it stays.
                keepWork = true;
                Log(reports, kUpdateSucceeded);
                outcome = UpdateOutcome::kInstallerStarted;
            }
        } else {
            const std::wstring source = std::wstring(work) + L"\\$dataFiles$\\";
            switch (InstallDataFiles(source.c_str(), engine, reports)) {
                case DataInstallResult::kInstalled: {
                    wchar_t version[kVersionTextUnits];
                    FormatVersion(info.softVersion, version);
                    if (engine->soft) {
                        wcsncpy(engine->soft->versionText, version, kSoftVersionUnits - 1);
                        engine->soft->versionText[kSoftVersionUnits - 1] = 0;
                        engine->soft->dataVersionNumber = static_cast<uint32_t>(info.dataVersion);
                    }
                    WriteDisplayVersions(task.guidText, version);
                    Log(reports, kUpdateSucceeded);
                    outcome = UpdateOutcome::kDataInstalled;
                    break;
                }
                case DataInstallResult::kRefused:
                    Log(reports, kUpdateDataFailed);
                    outcome = UpdateOutcome::kDataRefused;
                    break;
                default:
                    Log(reports, kUpdateDataFailed);
                    outcome = UpdateOutcome::kDataFailed;
                    break;
            }
        }
    }
    Log(reports, kUpdateSeparator);
    if (!keepWork) DeleteFolderTree(work, false);
    return outcome;
}
