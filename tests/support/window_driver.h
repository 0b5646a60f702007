// Driving real dialog windows from a test, also those of another process: find a dialog by
// its title, read and click its controls, and write a screenshot of it (under Xvfb).
//
//   HWND d = WaitForDialog(L"使用设置 - 输入法");
//   EXPECT_EQ(DialogItemText(d, 1), L"完成设置");
//   ClickDialogItem(d, 1);
//   SaveScreenshotIfAsked(d, L"config-main.png");   // ZAN_SCREENSHOT_DIR=$PWD/docs
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// The top-level dialog ("#32770") with this exact title, waited for up to timeoutMs while
// this thread's messages are pumped; null when none came.
HWND WaitForDialog(const wchar_t* title, DWORD timeoutMs = 15000);
// Every top-level dialog with this title.
std::vector<HWND> FindDialogs(const wchar_t* title);
// True when the window is gone within timeoutMs (messages pumped meanwhile).
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 15000);
// Pumps this thread's messages for ms milliseconds.
void PumpMessagesFor(DWORD ms);

std::wstring WindowTextOf(HWND window);
std::wstring DialogItemText(HWND dialog, int id);
bool DialogItemChecked(HWND dialog, int id);
bool DialogItemVisible(HWND dialog, int id);
// Posts the click of a button (WM_COMMAND BN_CLICKED to its dialog); does not wait.
void ClickDialogItem(HWND dialog, int id);
// One press and release of a virtual key through SendInput, as a keyboard sends it.
void SendKey(WORD vk);
// Visible child windows of a class below window (all depths), in Z order.
std::vector<HWND> ChildWindowsOfClass(HWND window, const wchar_t* className);

// Rows of a list view (also of another process), and the text of one cell (at most 511
// units); empty when it cannot be read.
int ListViewRowCount(HWND list);
std::wstring ListViewCellText(HWND list, int row, int column);

// Writes what the screen shows in the window's rectangle as an RGB PNG; false on failure.
bool SaveWindowScreenshot(HWND window, const std::wstring& path);
// The folder of ZAN_SCREENSHOT_DIR (a Unix path is reached through Z:), empty when unset.
std::wstring ScreenshotFolder();
// Raises the window, lets it paint and writes folder\name when ZAN_SCREENSHOT_DIR is set;
// true when nothing was asked or the picture was written.
bool SaveScreenshotIfAsked(HWND window, const wchar_t* name);

}  // namespace testing_support
