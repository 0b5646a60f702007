#include "config/update_list.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "core/base/md5.h"
#include "core/base/version_text.h"
#include "core/files/xml_reader.h"

namespace {

struct XmlRoot {
    XmlElement* root;
    ~XmlRoot() { XmlDocument::Free(root); }
};

// Copies text into a field of units units, cut to fit.
template <size_t N>
void CopyCut(wchar_t (&out)[N], const wchar_t* text) {
    size_t n = 0;
    for (; text[n] && n + 1 < N; ++n) out[n] = text[n];
    out[n] = 0;
}

// Leading decimal digits (with an optional sign) kept within int32.
int32_t DecimalValue(const wchar_t* text) {
    while (*text == L' ' || *text == L'\t') ++text;
    bool negative = false;
    if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
    int64_t v = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        v = v * 10 + (*text - L'0');
        if (v > INT32_MAX) v = INT32_MAX + 1ll;
    }
    if (negative) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    return static_cast<int32_t>(v);
}

void CopyLog(wchar_t (&out)[kUpdateLogUnits], const wchar_t* text) {
    size_t n = 0;
    for (const wchar_t* p = text; *p && n + 1 < kUpdateLogUnits;) {
        if (std::wcsncmp(p, L"[r]", 3) == 0) {
            if (n + 3 >= kUpdateLogUnits) break;
            out[n++] = L' ';
            out[n++] = L'\r';
            out[n++] = L'\n';
            p += 3;
        } else {
            out[n++] = *p++;
        }
    }
    out[n] = 0;
}

void FillField(UpdateInfo& info, const wchar_t* name, const wchar_t* value) {
    if (_wcsicmp(name, L"softVersion") == 0) {
        info.softVersion = ParseVersion(value, nullptr);
    } else if (_wcsicmp(name, L"dataVersion") == 0) {
        info.dataVersion = DecimalValue(value);
    } else if (_wcsicmp(name, L"zantorVersion") == 0) {
        info.zantorVersion = DecimalValue(value);
    } else if (_wcsicmp(name, L"dataMinsoftVersion") == 0) {
        info.dataMinsoftVersion = DecimalValue(value);
    } else if (_wcsicmp(name, L"softUrlx64") == 0) {
        CopyCut(info.softUrlx64, value);
    } else if (_wcsicmp(name, L"softUrlx86") == 0) {
        CopyCut(info.softUrlx86, value);
    } else if (_wcsicmp(name, L"dataUrl") == 0) {
        CopyCut(info.dataUrl, value);
    } else if (_wcsicmp(name, L"log") == 0) {
        CopyLog(info.log, value);
    } else if (_wcsicmp(name, L"softSha256x64") == 0) {
        CopyCut(info.softSha256x64, value);
    } else if (_wcsicmp(name, L"dataSha256") == 0) {
        CopyCut(info.dataSha256, value);
    }
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

UpdateListResult ParseUpdateList(const wchar_t* text, size_t length, UpdateInfo& out) {
    std::memset(&out, 0, sizeof out);
    if (!text) return UpdateListResult::kNotUpdateInfo;
    XmlRoot doc{XmlDocument::Parse(text, length)};
    if (!doc.root) return UpdateListResult::kNoMemory;
    const XmlElement* first = doc.root->childCount > 0 ? doc.root->children[0] : nullptr;
    if (!first || !first->name || _wcsicmp(first->name, L"UpdateInfo") != 0)
        return UpdateListResult::kNotUpdateInfo;
    for (size_t i = 0; i < first->attributeCount; ++i) {
        const XmlAttribute& a = first->attributes[i];
        if (a.name && a.value) FillField(out, a.name, a.value);
    }
    return out.softVersion ? UpdateListResult::kOk : UpdateListResult::kNoVersion;
}

UpdateMode DecideUpdate(const UpdateInfo& info, uint32_t localBuild, uint32_t localDataVersion) {
    if (localBuild < static_cast<uint32_t>(info.dataMinsoftVersion)) return UpdateMode::kInstaller;
    if (static_cast<int64_t>(localDataVersion) < info.dataVersion) return UpdateMode::kData;
    return UpdateMode::kNone;
}

std::wstring ReplacePlaceholder(std::wstring text, const wchar_t* name, const wchar_t* value) {
    const size_t n = std::wcslen(name);
    if (n == 0) return text;
    const std::wstring v = value ? value : L"";
    for (size_t at = text.find(name); at != std::wstring::npos; at = text.find(name, at + v.size()))
        text.replace(at, n, v);
    return text;
}

std::wstring CompactGuidText(const wchar_t* guidText) {
    std::wstring out;
    for (const wchar_t* p = guidText ? guidText : L""; *p; ++p) {
        if (*p == L'{' || *p == L'}' || *p == L'-') continue;
        out += (*p >= L'A' && *p <= L'Z') ? static_cast<wchar_t>(*p - L'A' + L'a') : *p;
    }
    return out;
}

std::string FormatMacText(const uint8_t* address, size_t length) {
    std::string out;
    for (size_t i = 0; address && i < length; ++i) {
        char piece[8];
        std::snprintf(piece, sizeof piece, "%2x", address[i]);
        if (out.size() + std::strlen(piece) > 128) break;
        out += piece;
    }
    return out;
}

std::wstring BuildUpdateRequestUrl(const std::wstring& templ, const UpdateRequestValues& values) {
    char md5[Md5::kHexChars + 1];
    Md5::DigestHex(values.macText.data(), values.macText.size(), md5);
    const std::wstring mac(md5, md5 + Md5::kHexChars);
    std::wstring url = ReplacePlaceholder(templ, L"{version}", values.displayVersion);
    url = ReplacePlaceholder(url, L"{dataver}", std::to_wstring(values.dataVersion).c_str());
    url = ReplacePlaceholder(url, L"{macaddr}", mac.c_str());
    return ReplacePlaceholder(url, L"{guid}", CompactGuidText(values.guidText).c_str());
}

bool IsDownloadableUrl(const wchar_t* url) {
    if (!url) return false;
    for (const wchar_t* scheme : {L"http://", L"https://"}) {
        const size_t n = std::wcslen(scheme);
        if (_wcsnicmp(url, scheme, n) == 0 && url[n] && url[n] != L'/') return true;
    }
    return false;
}

bool ParseSha256Text(const wchar_t* text, uint8_t (&out)[Sha256::kDigestBytes]) {
    std::memset(out, 0, sizeof out);
    if (!text || std::wcslen(text) != Sha256::kHexChars) return false;
    for (int i = 0; i < Sha256::kDigestBytes; ++i) {
        const int hi = HexValue(text[2 * i]), lo = HexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return true;
}

ArchiveCheck CheckArchiveDigest(const wchar_t* archivePath, const wchar_t* expectedText) {
    uint8_t expected[Sha256::kDigestBytes], actual[Sha256::kDigestBytes];
    if (!ParseSha256Text(expectedText, expected)) return ArchiveCheck::kNoDigest;
    if (!Sha256::DigestFile(archivePath, actual)) return ArchiveCheck::kUnreadable;
    return std::memcmp(expected, actual, sizeof actual) == 0 ? ArchiveCheck::kOk
                                                             : ArchiveCheck::kMismatch;
}

std::wstring DownloadProgressText(uint64_t bytes) {
    wchar_t text[64];
    if (bytes == 0) return L"";
    if (bytes > 1048576)
        _snwprintf(text, 64, L"下载: %.2f MB", bytes / 1048576.0);
    else if (bytes > 1024)
        _snwprintf(text, 64, L"下载: %.2f KB", bytes / 1024.0);
    else
        _snwprintf(text, 64, L"下载: %.2f Bytes", static_cast<double>(bytes));
    text[63] = 0;
    return text;
}
