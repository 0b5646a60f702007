// Downloading one address into a file over WinINet, with the byte count reported as it goes.
#pragma once
#include <cstdint>

enum class DownloadResult {
    kOk,
    kBadUrl,        // not an http or https address
    kTargetInUse,   // the old target file cannot be deleted
    kNoConnection,  // the session or the address cannot be opened
    kBadStatus,     // a status other than 200 (logged)
    kTooLarge,      // the announced or received body exceeds the limit
    kCannotCreate,  // the target file cannot be created
    kReadFailed,    // a read of the body failed
    kWriteFailed,   // a piece could not be written
    kTruncated,     // the body ended before its announced length
};
const char* DownloadResultName(DownloadResult r);

struct DownloadReports {
    void (*progress)(void* context, uint64_t bytes);
    void (*log)(void* context, const wchar_t* text);
    void* context;
};

// A body larger than maxBytes is refused. The file is deleted unless the result is kOk.
DownloadResult HttpDownloadToFile(const wchar_t* url, const wchar_t* file,
                                  const DownloadReports& reports, uint64_t maxBytes);
