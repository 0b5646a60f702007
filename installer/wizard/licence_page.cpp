#include "installer/wizard/licence_page.h"

#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include "core/base/text_file.h"

namespace {

// The HTML Help store's name parser, the object behind "mk:@MSITStore:" names.
const CLSID kItsNameParser = {
    0x9d148290, 0xb9c8, 0x11d0, {0xa4, 0xcc, 0x00, 0x00, 0xf8, 0x01, 0x49, 0xf6}};

template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
};

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The bytes of a page of a compiled help file; empty when it cannot be read.
std::string ReadStorePage(const std::wstring& address) {
    const std::wstring prefix = L"mk:";
    if (address.compare(0, prefix.size(), prefix) != 0) return {};
    std::wstring name = address.substr(prefix.size());
    ComPtr<IParseDisplayName> parser;
    if (FAILED(CoCreateInstance(kItsNameParser, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IParseDisplayName, reinterpret_cast<void**>(&parser.p))))
        return {};
    ComPtr<IBindCtx> context;
    ComPtr<IMoniker> moniker;
    ComPtr<IStream> stream;
    ULONG eaten = 0;
    if (FAILED(CreateBindCtx(0, &context.p)) ||
        FAILED(parser.p->ParseDisplayName(context.p, name.data(), &eaten, &moniker.p)) ||
        FAILED(moniker.p->BindToStorage(context.p, nullptr, IID_IStream,
                                        reinterpret_cast<void**>(&stream.p))) ||
        !stream.p)
        return {};
    std::string bytes;
    char buffer[4096];
    ULONG got = 0;
    // A licence page is small; a damaged store never makes this read without end.
    while (bytes.size() < (4u << 20) && SUCCEEDED(stream.p->Read(buffer, sizeof buffer, &got)) &&
           got > 0)
        bytes.append(buffer, got);
    return bytes;
}

bool StartsTag(const std::wstring& tag, const wchar_t* name) {
    size_t n = wcslen(name);
    if (tag.size() < n || _wcsnicmp(tag.c_str(), name, n) != 0) return false;
    return tag.size() == n || !iswalnum(tag[n]);
}

}  // namespace

std::wstring LicencePageAddress(const std::wstring& unpackDir) {
    const std::wstring page = unpackDir + L"\\License.html";
    if (FileExists(page)) return page;
    return L"mk:@MSITStore:" + unpackDir + L"\\main.chm::/License.html";
}

std::wstring ReadLicenceText(const std::wstring& unpackDir) {
    const std::wstring address = LicencePageAddress(unpackDir);
    std::wstring html;
    if (address.compare(0, 3, L"mk:") == 0) {
        std::string bytes = ReadStorePage(address);
        if (bytes.empty()) return {};
        wchar_t* text =
            DecodeTextByBom(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        if (!text) return {};
        html = text;
        free(text);
    } else {
        wchar_t* text = nullptr;
        if (ReadTextFile(address.c_str(), &text) != 0 || !text) return {};
        html = text;
        free(text);
    }
    return HtmlToPlainText(html);
}

std::wstring HtmlToPlainText(const std::wstring& html) {
    std::wstring out;
    bool blank = false;
    bool pre = false;  // inside <pre>: white space and line breaks kept
    auto endsWith = [&](const wchar_t* tail) {
        size_t n = wcslen(tail);
        return out.size() >= n && out.compare(out.size() - n, n, tail) == 0;
    };
    for (size_t i = 0; i < html.size();) {
        const wchar_t c = html[i];
        if (c == L'<') {
            const size_t end = html.find(L'>', i);
            if (end == std::wstring::npos) break;
            std::wstring tag = html.substr(i + 1, end - i - 1);
            const bool closing = !tag.empty() && tag[0] == L'/';
            if (closing) tag.erase(0, 1);
            if (!closing && (StartsTag(tag, L"script") || StartsTag(tag, L"style") ||
                             StartsTag(tag, L"head"))) {
                // Everything up to the matching end tag is skipped, case ignored.
                const std::wstring name = tag.substr(0, tag.find_first_of(L" \t\r\n/"));
                size_t skip = std::wstring::npos;
                for (size_t at = html.find(L"</", end); at != std::wstring::npos;
                     at = html.find(L"</", at + 2)) {
                    if (_wcsnicmp(html.c_str() + at + 2, name.c_str(), name.size()) == 0) {
                        skip = html.find(L'>', at);
                        break;
                    }
                }
                i = skip == std::wstring::npos ? html.size() : skip + 1;
                continue;
            }
            if (StartsTag(tag, L"pre")) pre = !closing;
            const bool paragraph = StartsTag(tag, L"p") || StartsTag(tag, L"h1") ||
                                   StartsTag(tag, L"h2") || StartsTag(tag, L"h3") ||
                                   StartsTag(tag, L"pre");
            const bool line =
                StartsTag(tag, L"div") || StartsTag(tag, L"li") || StartsTag(tag, L"tr");
            if (StartsTag(tag, L"br") || paragraph || line) {
                while (!out.empty() && out.back() == L' ') out.pop_back();
                if (StartsTag(tag, L"br")) {
                    out += L"\r\n";
                } else if (!out.empty()) {
                    if (!endsWith(L"\r\n")) out += L"\r\n";
                    if (paragraph && !endsWith(L"\r\n\r\n")) out += L"\r\n";
                }
                blank = true;
            }
            i = end + 1;
            continue;
        }
        if (c == L'&') {
            static const struct {
                const wchar_t* name;
                wchar_t value;
            } kEntities[] = {{L"&amp;", L'&'},  {L"&lt;", L'<'},   {L"&gt;", L'>'},
                             {L"&quot;", L'"'}, {L"&nbsp;", L' '}, {L"&#39;", L'\''},
                             {L"&copy;", 0xA9}};
            bool done = false;
            for (const auto& e : kEntities) {
                const size_t n = wcslen(e.name);
                if (html.compare(i, n, e.name) == 0) {
                    out.push_back(e.value);
                    i += n;
                    done = true;
                    blank = false;
                    break;
                }
            }
            if (done) continue;
            // Numeric references: &#NNN; and &#xHH; of the basic plane.
            const size_t semi = html.find(L';', i);
            if (html.compare(i, 2, L"&#") == 0 && semi != std::wstring::npos && semi - i <= 8) {
                const bool hex =
                    i + 2 < html.size() && (html[i + 2] == L'x' || html[i + 2] == L'X');
                wchar_t* stop = nullptr;
                const unsigned long v =
                    wcstoul(html.c_str() + i + (hex ? 3 : 2), &stop, hex ? 16 : 10);
                if (stop == html.c_str() + semi && v > 0 && v < 0xD800) {
                    out.push_back(static_cast<wchar_t>(v));
                    i = semi + 1;
                    blank = false;
                    continue;
                }
            }
        }
        if (pre) {
            if (c == L'\n') {
                out += L"\r\n";
            } else if (c != L'\r') {
                out.push_back(c);
            }
            blank = c == L'\n';
            ++i;
            continue;
        }
        if (iswspace(c)) {
            if (!blank && !out.empty()) out.push_back(L' ');
            blank = true;
        } else {
            out.push_back(c);
            blank = false;
        }
        ++i;
    }
    while (!out.empty() && (out.back() == L' ' || out.back() == L'\n' || out.back() == L'\r'))
        out.pop_back();
    return out;
}
