// The compiled help file: every page the programs open by name is there and reads back
// through "mk:@MSITStore:" as the about page, the HTML viewer and the licence page use it.
#include <windows.h>
#include <gtest/gtest.h>
#include <urlmon.h>

#include <string>

#include "core/base/text_convert.h"

namespace {

std::wstring HelpFilePath() {
    std::string path = ZAN_HELP_FILE;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    std::wstring wide(path.size() + 1, L'\0');
    int n = Utf8ToUtf16(path.c_str(), static_cast<int>(path.size()), wide.data(),
                        static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

// The HTML Help store's name parser: the object behind the "mk:" scheme's "@MSITStore:"
// names (Wine's URL download of the same address reads nothing, while the moniker does).
const CLSID kItsNameParser = {
    0x9d148290, 0xb9c8, 0x11d0, {0xa4, 0xcc, 0x00, 0x00, 0xf8, 0x01, 0x49, 0xf6}};

// The page's bytes through the "mk:@MSITStore:" address, empty when it cannot be read.
std::string ReadPage(const std::wstring& page) {
    std::wstring name = L"@MSITStore:" + HelpFilePath() + L"::/" + page;
    IParseDisplayName* parser = nullptr;
    if (FAILED(CoCreateInstance(kItsNameParser, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IParseDisplayName, reinterpret_cast<void**>(&parser))))
        return {};
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
    if (!stream) return {};
    std::string bytes;
    char buffer[4096];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0)
        bytes.append(buffer, got);
    stream->Release();
    return bytes;
}

class HelpFile : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(HelpFile, EveryNamedPageReadsBackWithItsTitle) {
    struct Case {
        const wchar_t* page;
        const char* text;  // UTF-8 text the page must hold
    };
    const Case cases[] = {
        {L"index.html", "<title>赞拓输入法 帮助</title>"},
        {L"About.html", "<title>关于赞拓输入法</title>"},
        {L"License.html", "<title>最终用户许可协议</title>"},
        {L"keyboardmap.html", "<b>6</b>mno"},
        {L"typing.html", "<title>输入文字</title>"},
        {L"keys.html", "首选上屏"},
        {L"config.html", "<title>配置程序</title>"},
        {L"install.html", "<title>安装、修复与卸载</title>"},
    };
    for (const Case& c : cases) {
        std::string bytes = ReadPage(c.page);
        EXPECT_NE(bytes.find(c.text), std::string::npos)
            << "page " << testing::PrintToString(std::wstring(c.page));
    }
}

TEST_F(HelpFile, LicencePageCarriesTheShippedDataLicences) {
    std::string bytes = ReadPage(L"License.html");
    for (const char* package : {"rime-data-luna-pinyin", "rime-essay", "unicode-data"})
        EXPECT_NE(bytes.find(package), std::string::npos) << package;
}

TEST_F(HelpFile, MissingPageReadsNothing) { EXPECT_TRUE(ReadPage(L"no-such-page.html").empty()); }

}  // namespace
