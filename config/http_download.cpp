#include "config/http_download.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>

#include "config/update_list.h"
#include "core/base/handles.h"

namespace {

struct InternetHandle {
    HINTERNET h;
    ~InternetHandle() {
        if (h) InternetCloseHandle(h);
    }
};

void Log(const DownloadReports& r, const wchar_t* text) {
    if (r.log) r.log(r.context, text);
}

// Writes the body into file; kOk when all of it was read and written.
DownloadResult CopyBody(HINTERNET request, HANDLE file, const DownloadReports& reports,
                        uint64_t maxBytes, bool known, uint64_t announced) {
    uint64_t total = 0;
    char piece[511];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request, piece, sizeof piece, &got))
            return DownloadResult::kReadFailed;
        if (got == 0) break;
        total += got;
        if (total > maxBytes || (known && total > announced)) return DownloadResult::kTooLarge;
        DWORD written = 0;
        if (!WriteFile(file, piece, got, &written, nullptr) || written != got)
            return DownloadResult::kWriteFailed;
        if (reports.progress) reports.progress(reports.context, total);
    }
    if (known && total != announced) return DownloadResult::kTruncated;
    return DownloadResult::kOk;
}

}  // namespace

const char* DownloadResultName(DownloadResult r) {
    switch (r) {
        case DownloadResult::kOk:
            return "kOk";
        case DownloadResult::kBadUrl:
            return "kBadUrl";
        case DownloadResult::kTargetInUse:
            return "kTargetInUse";
        case DownloadResult::kNoConnection:
            return "kNoConnection";
        case DownloadResult::kBadStatus:
            return "kBadStatus";
        case DownloadResult::kTooLarge:
            return "kTooLarge";
        case DownloadResult::kCannotCreate:
            return "kCannotCreate";
        case DownloadResult::kReadFailed:
            return "kReadFailed";
        case DownloadResult::kWriteFailed:
            return "kWriteFailed";
        case DownloadResult::kTruncated:
            return "kTruncated";
    }
    return "?";
}

DownloadResult HttpDownloadToFile(const wchar_t* url, const wchar_t* file,
                                  const DownloadReports& reports, uint64_t maxBytes) {
    if (!IsDownloadableUrl(url)) return DownloadResult::kBadUrl;
    if (GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(file))
        return DownloadResult::kTargetInUse;
    InternetHandle session{
        InternetOpenW(L"ZaroZI/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
    if (!session.h) return DownloadResult::kNoConnection;
    InternetHandle request{InternetOpenUrlW(
        session.h, url, nullptr, 0,
        INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI, 0)};
    if (!request.h) return DownloadResult::kNoConnection;

    wchar_t status[32] = {};
    DWORD statusBytes = sizeof status - sizeof(wchar_t);
    if (!HttpQueryInfoW(request.h, HTTP_QUERY_STATUS_CODE, status, &statusBytes, nullptr))
        status[0] = 0;
    if (wcscmp(status, L"200") != 0) {
        wchar_t text[96];
        _snwprintf(text, 96, L"无法访问的URL，错误代码：%ls", status);
        text[95] = 0;
        Log(reports, text);
        return DownloadResult::kBadStatus;
    }
    // The announced length, when there is one, is what the body must come to.
    wchar_t lengthText[32] = {};
    DWORD lengthBytes = sizeof lengthText - sizeof(wchar_t);
    bool known = false;
    uint64_t announced = 0;
    if (HttpQueryInfoW(request.h, HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthBytes, nullptr) &&
        lengthText[0]) {
        known = true;
        for (const wchar_t* p = lengthText; *p; ++p) {
            if (*p < L'0' || *p > L'9') {
                known = false;  // not a length: the end of the body decides
                break;
            }
            announced = announced * 10 + (*p - L'0');
            if (announced > maxBytes) return DownloadResult::kTooLarge;
        }
    }

    DownloadResult result;
    {
        zan::UniqueHandle out(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) return DownloadResult::kCannotCreate;
        result = CopyBody(request.h, out.get(), reports, maxBytes, known, announced);
    }
    if (result != DownloadResult::kOk) DeleteFileW(file);
    return result;
}
