// The test tool that drives real dialogs: a dialog run on another thread is found by its
// title, read, photographed and closed by a click.
#include "support/window_driver.h"

#include <gtest/gtest.h>

#include <thread>

#include "dialog/control_text.h"
#include "dialog/dialog.h"
#include "support/test_files.h"
#include "tests/dialog/test_dialogs.h"

namespace {

class TextDialog : public Dialog {
public:
    TextDialog() : Dialog(IDD_TEST_MODAL) {}

protected:
    bool OnInitDialog() override {
        SetWindowTextW(hwnd(), L"驱动测试");
        SetItemText(hwnd(), IDC_TEST_EDIT, L"内容");
        return true;
    }
};

TEST(WindowDriver, FindsReadsPhotographsAndClicksADialogOfAnotherThread) {
    INT_PTR result = 0;
    std::thread owner([&] {
        TextDialog d;
        result = d.RunModal(nullptr);
    });
    HWND d = testing_support::WaitForDialog(L"驱动测试");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(testing_support::FindDialogs(L"驱动测试").size(), 1u);
    EXPECT_EQ(testing_support::DialogItemText(d, IDC_TEST_EDIT), L"内容");
    EXPECT_TRUE(testing_support::DialogItemVisible(d, IDOK));
    EXPECT_FALSE(testing_support::DialogItemChecked(d, IDOK));
    EXPECT_EQ(testing_support::ChildWindowsOfClass(d, L"Edit").size(), 1u);

    testing_support::TempDir dir;
    std::wstring png = dir / L"shot.png";
    ASSERT_TRUE(testing_support::SaveWindowScreenshot(d, png));
    std::vector<uint8_t> bytes = testing_support::ReadFileBytes(png);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes[1], 'P');
    EXPECT_EQ(bytes[2], 'N');
    EXPECT_EQ(bytes[3], 'G');

    testing_support::ClickDialogItem(d, IDCANCEL);
    EXPECT_TRUE(testing_support::WaitForWindowGone(d));
    owner.join();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(testing_support::WaitForDialog(L"驱动测试", 0), nullptr);
}

}  // namespace
