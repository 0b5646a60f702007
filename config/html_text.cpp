#include "config/html_text.h"

#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include "core/base/text_file.h"

namespace {

// The HTML Help store's name parser behind the "mk:" scheme's "@MSITStore:" names.
const CLSID kItsNameParser = {
    0x9d148290, 0xb9c8, 0x11d0, {0xa4, 0xcc, 0x00, 0x00, 0xf8, 0x01, 0x49, 0xf6}};

constexpr wchar_t kStorePrefix[] = L"mk:@MSITStore:";
constexpr size_t kStorePrefixUnits = sizeof kStorePrefix / sizeof(wchar_t) - 1;
constexpr size_t kMaxPageBytes = 16u * 1024 * 1024;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

bool IsBlockTag(const std::wstring& name) {
    static const wchar_t* const kBlocks[] = {
        L"p",  L"br", L"div",   L"h1", L"h2",  L"h3",         L"h4", L"h5", L"h6", L"tr",   L"li",
        L"ul", L"ol", L"table", L"hr", L"pre", L"blockquote", L"dt", L"dd", L"dl", L"title"};
    for (const wchar_t* b : kBlocks)
        if (name == b) return true;
    return false;
}

void AppendCodePoint(std::wstring& out, unsigned long cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        out += L'\xFFFD';
    } else if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

// Decodes the entity at html[i] ('&'); advances i past it. False leaves i alone.
bool DecodeEntity(const std::wstring& html, size_t& i, std::wstring& out) {
    size_t end = html.find(L';', i);
    if (end == std::wstring::npos || end - i > 10) return false;
    std::wstring name = html.substr(i + 1, end - i - 1);
    if (name.empty()) return false;
    if (name[0] == L'#') {
        const bool hex = name.size() > 1 && (name[1] == L'x' || name[1] == L'X');
        const wchar_t* digits = name.c_str() + (hex ? 2 : 1);
        if (!*digits) return false;
        wchar_t* stop = nullptr;
        unsigned long cp = std::wcstoul(digits, &stop, hex ? 16 : 10);
        if (*stop) return false;
        AppendCodePoint(out, cp);
    } else {
        static const struct {
            const wchar_t* name;
            wchar_t ch;
        } kNamed[] = {{L"amp", L'&'},     {L"lt", L'<'},       {L"gt", L'>'},
                      {L"quot", L'"'},    {L"apos", L'\''},    {L"nbsp", L'\xA0'},
                      {L"copy", L'\xA9'}, {L"middot", L'\xB7'}};
        bool found = false;
        for (const auto& n : kNamed) {
            if (name == n.name) {
                out += n.ch;
                found = true;
                break;
            }
        }
        if (!found) return false;
    }
    i = end + 1;
    return true;
}

// Collects text into lines: blanks collapse, line breaks are asked for and given once.
class LineWriter {
public:
    void Text(wchar_t c, bool keepBlanks) {
        if (!keepBlanks && IsBlank(c)) {
            pendingBlank_ = !line_.empty() && line_.back() != L'\t';
            return;
        }
        if (keepBlanks && c == L'\n') {
            Break();
            return;
        }
        if (keepBlanks && c == L'\r') return;
        if (pendingBlank_) line_ += L' ';
        pendingBlank_ = false;
        line_ += c == L'\xA0' ? L' ' : c;
    }
    void Break() {
        while (!line_.empty() && line_.back() == L' ') line_.pop_back();
        if (!line_.empty()) {
            if (!out_.empty()) out_ += L"\r\n";
            out_ += line_;
        }
        line_.clear();
        pendingBlank_ = false;
    }
    // A cell after another one of the same line.
    void Cell() {
        if (!line_.empty()) line_ += L'\t';
        pendingBlank_ = false;
    }
    void Raw(const wchar_t* s) {
        pendingBlank_ = false;
        line_ += s;
    }
    std::wstring Finish() {
        Break();
        return out_;
    }

private:
    std::wstring out_, line_;
    bool pendingBlank_ = false;
};

}  // namespace

HtmlText HtmlToText(const std::wstring& html) {
    HtmlText result;
    LineWriter body;
    std::wstring title;
    bool inTitle = false, inHead = false, inPre = false;
    std::wstring skipUntil;  // closing tag of <script> or <style>
    size_t i = 0;
    while (i < html.size()) {
        wchar_t c = html[i];
        if (c == L'<') {
            if (html.compare(i, 4, L"<!--") == 0) {
                size_t end = html.find(L"-->", i + 4);
                i = end == std::wstring::npos ? html.size() : end + 3;
                continue;
            }
            size_t end = html.find(L'>', i);
            if (end == std::wstring::npos) break;
            std::wstring tag = html.substr(i + 1, end - i - 1);
            i = end + 1;
            bool closing = !tag.empty() && tag[0] == L'/';
            size_t start = closing ? 1 : 0, n = start;
            while (n < tag.size() && !IsBlank(tag[n]) && tag[n] != L'/') ++n;
            std::wstring name = Lower(tag.substr(start, n - start));
            if (!skipUntil.empty()) {
                if (closing && name == skipUntil) skipUntil.clear();
                continue;
            }
            if (!closing && (name == L"script" || name == L"style")) {
                skipUntil = name;
                continue;
            }
            if (name == L"head") inHead = !closing;
            if (name == L"title") inTitle = !closing;
            if (name == L"pre") inPre = !closing;
            if (IsBlockTag(name)) body.Break();
            if (!closing && name == L"li") body.Raw(L"• ");
            if (!closing && (name == L"td" || name == L"th")) body.Cell();
            continue;
        }
        if (!skipUntil.empty()) {
            ++i;
            continue;
        }
        std::wstring decoded;
        if (c == L'&' && DecodeEntity(html, i, decoded)) {
        } else {
            decoded.assign(1, c);
            ++i;
        }
        for (wchar_t d : decoded) {
            if (inTitle) {
                if (IsBlank(d) || d == L'\xA0') {
                    if (!title.empty() && title.back() != L' ') title += L' ';
                } else {
                    title += d;
                }
            } else if (!inHead) {
                body.Text(d, inPre);
            }
        }
    }
    while (!title.empty() && title.back() == L' ') title.pop_back();
    result.title = title;
    result.body = body.Finish();
    return result;
}

bool IsHelpStoreAddress(const wchar_t* address) {
    return address && _wcsnicmp(address, kStorePrefix, kStorePrefixUnits) == 0;
}

bool ReadHelpStorePage(const wchar_t* address, std::string& bytes) {
    bytes.clear();
    if (!IsHelpStoreAddress(address)) return false;
    std::wstring name = address + 3;  // "@MSITStore:..."
    IParseDisplayName* parser = nullptr;
    if (FAILED(CoCreateInstance(kItsNameParser, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IParseDisplayName, reinterpret_cast<void**>(&parser))))
        return false;
    IBindCtx* context = nullptr;
    IMoniker* moniker = nullptr;
    IStream* stream = nullptr;
    ULONG eaten = 0;
    if (SUCCEEDED(CreateBindCtx(0, &context)) &&
        SUCCEEDED(parser->ParseDisplayName(context, name.data(), &eaten, &moniker)))
        moniker->BindToStorage(context, nullptr, IID_IStream, reinterpret_cast<void**>(&stream));
    if (moniker) moniker->Release();
    if (context) context->Release();
    parser->Release();
    if (!stream) return false;
    char buffer[4096];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0 &&
           bytes.size() < kMaxPageBytes)
        bytes.append(buffer, got);
    stream->Release();
    return !bytes.empty();
}

HtmlText HelpStorePageText(const wchar_t* address) {
    std::string bytes;
    if (!ReadHelpStorePage(address, bytes)) return {};
    size_t length = 0;
    wchar_t* text = DecodeTextByBom(reinterpret_cast<const unsigned char*>(bytes.data()),
                                    bytes.size(), &length);
    if (!text) return {};
    HtmlText page = HtmlToText(std::wstring(text, length));
    std::free(text);
    return page;
}
