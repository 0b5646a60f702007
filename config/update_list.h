// The update list a server answers with, the request made of the address template, and the
// decisions and texts of the updater that need no window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/base/sha256.h"

constexpr int kUpdateUrlUnits = 512;
constexpr int kUpdateLogUnits = 4096;
// Archive digests of the list: 64 hexadecimal digits.
constexpr int kUpdateDigestUnits = Sha256::kHexChars + 1;

struct UpdateInfo {
    uint64_t softVersion;
    int32_t dataVersion;
    int32_t zantorVersion;
    int32_t dataMinsoftVersion;
    wchar_t softUrlx64[kUpdateUrlUnits];
    wchar_t softUrlx86[kUpdateUrlUnits];
    wchar_t dataUrl[kUpdateUrlUnits];
    wchar_t log[kUpdateLogUnits];
    wchar_t softSha256x64[kUpdateDigestUnits];  // SHA-256 of the archive at softUrlx64
    wchar_t dataSha256[kUpdateDigestUnits];     // SHA-256 of the archive at dataUrl
};

enum class UpdateListResult {
    kOk,
    kNoMemory,
    kNotUpdateInfo,  // the first element is not "UpdateInfo"
    kNoVersion,      // softVersion missing or 0
};

// Clears out, then fills it from the list's text (attribute names ignoring case, texts cut
// to their fields, "[r]" of the log as " \r\n").
UpdateListResult ParseUpdateList(const wchar_t* text, size_t length, UpdateInfo& out);

enum class UpdateMode { kNone = 0, kInstaller = 1, kData = 2 };
// The installer when this build is below the data's lowest build, else the data when the
// server's is newer, else nothing.
UpdateMode DecideUpdate(const UpdateInfo& info, uint32_t localBuild, uint32_t localDataVersion);

// Every occurrence of name in text replaced by value.
std::wstring ReplacePlaceholder(std::wstring text, const wchar_t* name, const wchar_t* value);
// The GUID text without "{", "}" and "-", in lower case.
std::wstring CompactGuidText(const wchar_t* guidText);
// Each address byte as "%2x", at most 128 characters.
std::string FormatMacText(const uint8_t* address, size_t length);
struct UpdateRequestValues {
    const wchar_t* displayVersion;  // "0" when unread
    uint32_t dataVersion;
    const std::string& macText;
    const wchar_t* guidText;
};
// The template with {version}, {dataver}, {macaddr} (MD5 of the adapter text) and {guid}.
std::wstring BuildUpdateRequestUrl(const std::wstring& templ, const UpdateRequestValues& values);

// Only plain web addresses are downloaded.
bool IsDownloadableUrl(const wchar_t* url);
// 64 hexadecimal digits (either case) into bytes; false for any other text.
bool ParseSha256Text(const wchar_t* text, uint8_t (&out)[Sha256::kDigestBytes]);

enum class ArchiveCheck {
    kOk,
    kNoDigest,    // the list names no digest, or not a well-formed one
    kUnreadable,  // the downloaded file cannot be read
    kMismatch,    // its digest is another one
};
ArchiveCheck CheckArchiveDigest(const wchar_t* archivePath, const wchar_t* expectedText);

// "下载: %.2f MB/KB/Bytes" of a byte count; empty for 0.
std::wstring DownloadProgressText(uint64_t bytes);

// The log lines of the updater.
inline constexpr wchar_t kUpdateSeparator[] =
    L"\r\n-----------------------------------------------------\r\n";
inline constexpr wchar_t kUpdateChecking[] =
    L"\r\n-----------------------------------------------------\r\n正在检查更新, 请稍候...\r\n";
inline constexpr wchar_t kUpdateStarting[] =
    L"\r\n-----------------------------------------------------\r\n开始更新操作, 请稍候...\r\n";
inline constexpr wchar_t kUpdateUnreachable[] = L"\r\n无法连接到更新服务器\r\n";
inline constexpr wchar_t kUpdateUpToDate[] = L"您的程序是最新版本, 无需更新.";
inline constexpr wchar_t kUpdateNoTemplate[] = L"当前软件尚未支持更新功能。";
inline constexpr wchar_t kUpdateUnknownTarget[] = L"未知的更新目标";
inline constexpr wchar_t kUpdateNoTempPath[] = L"获取系统临时路径失败";
inline constexpr wchar_t kUpdateStartFailed[] = L"初始化更新模块发生错误";
inline constexpr wchar_t kUpdateCaption[] = L"输入法更新";
inline constexpr wchar_t kUpdateSucceeded[] = L"\r\n更新成功\r\n";
inline constexpr wchar_t kUpdateExtractFailed[] = L"\r\n解压文件发生错误\r\n";
inline constexpr wchar_t kUpdateWorkFolderBusy[] =
    L"\r\n更新失败. 请确认程序对临时目录的写入权限.\r\n";
inline constexpr wchar_t kUpdateNoDigest[] =
    L"\r\n更新列表没有给出更新文件的校验值, 已拒绝使用\r\n";
inline constexpr wchar_t kUpdateDigestMismatch[] = L"\r\n更新文件校验失败, 已拒绝使用\r\n";
inline constexpr wchar_t kUpdateDownloadFailed[] = L"\r\n下载更新文件失败\r\n";
inline constexpr wchar_t kUpdateBadUrl[] = L"\r\n不支持的下载地址\r\n";
inline constexpr wchar_t kUpdateNoSetup[] = L"\r\n更新文件中没有安装程序\r\n";
inline constexpr wchar_t kUpdateSetupFailed[] = L"\r\n无法启动安装程序\r\n";
inline constexpr wchar_t kUpdateDataFailed[] = L"\r\n数据文件更新失败, 版本未改变\r\n";
