#include "installer/install/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

#include "installer/register/clsid_keys.h"
#include "textservice/com_ptr.h"

const ProductLink kProductLinks[6] = {
    {0x80, L"%ls设置%ls.lnk", L"config.exe", L"/n %ls", L"%ls 的使用习惯更改和设定", 0},
    {0x20, L"%ls更新%ls.lnk", L"config.exe", L"/n %ls /do update", L"检查 %ls 的最新服务器版本", 3},
    {0x1000, L"%ls修复%ls.lnk", L"installer.exe", L"/n %ls /r", L"修复 %ls 至新安装状态", 1},
    {0x800, L"%ls卸载%ls.lnk", L"installer.exe", L"/n %ls /u", L"卸载%ls 程序", 2},
    {0x40, L"%ls%ls帮助文档.lnk", L"main.chm", nullptr, L"查看 %ls 的详细帮助文档", -1},
    {0x100, L"%ls%ls按键功能设定.lnk", L"config.exe", L"/n %ls /do anjianshezhi",
     L"更改或定义 %ls 按键功能", 16},
};

namespace {

constexpr size_t kMaxFolderName = 64;

std::wstring Format1(const wchar_t* format, const std::wstring& a) {
    wchar_t text[1024];
    int n = _snwprintf(text, 1024, format, a.c_str());
    if (n < 0 || n >= 1024) return {};
    return text;
}

bool SaveLink(const std::wstring& path, const std::wstring& target, const std::wstring& arguments,
              const std::wstring& description, const std::wstring& folder,
              const std::wstring& iconFile, int icon) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void()))) {
        return false;
    }
    link->SetPath(target.c_str());
    link->SetDescription(description.c_str());
    link->SetWorkingDirectory(folder.c_str());
    if (!arguments.empty()) link->SetArguments(arguments.c_str());
    if (icon >= 0) link->SetIconLocation(iconFile.c_str(), icon);
    link->SetShowCmd(SW_SHOW);
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
    return SUCCEEDED(file->Save(path.c_str(), TRUE));
}

}  // namespace

bool IsSafeFolderName(const std::wstring& name) {
    if (name.empty() || name.size() > kMaxFolderName) return false;
    if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return false;
    if (name.find(L"..") != std::wstring::npos) return false;
    if (name.find_first_not_of(L". ") == std::wstring::npos) return false;
    for (wchar_t c : name) {
        if (c < 0x20) return false;
    }
    return true;
}

std::wstring ProductLinkFolder(InstallEnvironment& env, const std::wstring& displayName) {
    if (!IsSafeFolderName(displayName)) return {};
    std::wstring programs = env.CommonPrograms();
    if (programs.empty()) return {};
    return programs + displayName + L"\\";
}

std::wstring ProductLinkPath(const std::wstring& folder, const ProductLink& link,
                             const std::wstring& displayName) {
    wchar_t text[MAX_PATH];
    int n = _snwprintf(text, MAX_PATH, link.name, folder.c_str(), displayName.c_str());
    if (n < 0 || n >= MAX_PATH) return {};
    return text;
}

bool CreateShortcuts(InstallEnvironment& env, const wchar_t* guidText, uint32_t flags,
                     const std::wstring& displayName, const std::wstring& installFolder,
                     const std::wstring& imeFile64, const std::wstring& postInstall) {
    bool ok = true;
    uint32_t asked = 0;
    for (const ProductLink& l : kProductLinks) asked |= l.flag;
    if (flags & asked) {
        std::wstring folder = ProductLinkFolder(env, displayName);
        if (folder.empty() || !IsGuidText(guidText)) return false;
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const ProductLink& l : kProductLinks) {
            if (!(flags & l.flag)) continue;
            std::wstring target = installFolder + l.target;
            std::wstring iconFile = l.flag == 0x100 ? imeFile64 : target;
            std::wstring path = ProductLinkPath(folder, l, displayName);
            std::wstring arguments = l.arguments ? Format1(l.arguments, guidText) : L"";
            ok = !path.empty() &&
                 SaveLink(path, target, arguments, Format1(l.description, displayName),
                          installFolder, iconFile, l.icon) &&
                 ok;
        }
        SHChangeNotify(SHCNE_ALLEVENTS, SHCNF_PATHW | SHCNF_FLUSH, folder.c_str(), nullptr);
    }
    if (!postInstall.empty()) {
        std::wstring command = installFolder + postInstall;
        size_t split = command.find(L" /");
        std::wstring file = split == std::wstring::npos ? command : command.substr(0, split);
        std::wstring parameters = split == std::wstring::npos ? L"" : command.substr(split + 1);
        env.Launch(file.c_str(), parameters.c_str(), true);
    }
    return ok;
}
