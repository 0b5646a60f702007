#include "core/files/file_dialog.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

// The filter list up to its double terminator, with "|" for each inner terminator.
std::wstring FilterText(const wchar_t* filter) {
    std::wstring out;
    for (const wchar_t* p = filter; *p; p += wcslen(p) + 1) out += std::wstring(p) + L"|";
    return out;
}

std::wstring Documents() {
    wchar_t folder[kPathChars];
    EXPECT_TRUE(GetDocumentsFolder(folder));
    return folder;
}

TEST(FileDialog, OpenDialogFields) {
    const wchar_t filter[] = L"TXT文件(*.txt)\0*.txt\0所有文件(*.*)\0*.*\0";
    HWND owner = reinterpret_cast<HWND>(0x1234);
    struct Case {
        const wchar_t* folder;
        std::wstring initial;
    };
    const Case cases[] = {
        {L"C:\\given", L"C:\\given"},
        {nullptr, Documents()},
        {L"", Documents()},
    };
    for (const auto& c : cases) {
        OPENFILENAMEW dialog;
        wchar_t folderBuffer[kPathChars];
        wchar_t out[kPathChars];
        wcscpy(out, L"garbage");
        FillOpenFileDialog(dialog, owner, c.folder, L"选择一个文本格式的原始定义文件...", filter,
                           folderBuffer, out);
        EXPECT_EQ(dialog.lStructSize, sizeof(OPENFILENAMEW));
        EXPECT_EQ(dialog.hwndOwner, owner);
        EXPECT_STREQ(dialog.lpstrTitle, L"选择一个文本格式的原始定义文件...");
        EXPECT_EQ(FilterText(dialog.lpstrFilter), L"TXT文件(*.txt)|*.txt|所有文件(*.*)|*.*|");
        EXPECT_EQ(dialog.lpstrFile, out);
        EXPECT_EQ(out[0], 0) << "the dialog must start without a file name";
        EXPECT_EQ(dialog.nMaxFile, static_cast<DWORD>(kPathChars));
        ASSERT_NE(dialog.lpstrInitialDir, nullptr);
        EXPECT_EQ(std::wstring(dialog.lpstrInitialDir), c.initial);
        EXPECT_EQ(dialog.Flags, static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
        EXPECT_EQ(dialog.lpstrDefExt, nullptr);
    }
}

TEST(FileDialog, SaveDialogFields) {
    OPENFILENAMEW dialog;
    wchar_t folderBuffer[kPathChars];
    wchar_t out[kPathChars];
    FillSaveFileDialog(dialog, nullptr, nullptr, folderBuffer, out);
    EXPECT_STREQ(dialog.lpstrTitle, L"导出全部设置...");
    EXPECT_EQ(FilterText(dialog.lpstrFilter), L"文本文档(*.txt)|*.txt|");
    EXPECT_STREQ(dialog.lpstrDefExt, L"txt");
    EXPECT_EQ(dialog.Flags, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
    EXPECT_EQ(dialog.lpstrFile, out);
    EXPECT_EQ(dialog.nMaxFile, static_cast<DWORD>(kPathChars));
    ASSERT_NE(dialog.lpstrInitialDir, nullptr);
    EXPECT_EQ(std::wstring(dialog.lpstrInitialDir), Documents());
    FillSaveFileDialog(dialog, nullptr, L"D:\\backup\\", folderBuffer, out);
    EXPECT_STREQ(dialog.lpstrInitialDir, L"D:\\backup\\");
}

}  // namespace
