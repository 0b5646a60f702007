// The white header of the install wizard: the product icon on the right, a bold welcome line
// and the line of the current stage.
#pragma once
#include <windows.h>

#include <string>

// The wizard's stages.
enum class WizardStage { kReady = 0, kInstalling = 1, kFinished = 2, kFailed = 3 };

struct StageHeaderText {
    std::wstring title;  // "欢迎使用 <name> 安装程序"
    std::wstring line;   // what the stage asks of the user
};

// The header's two lines for a stage, the product's display name filled in.
StageHeaderText WizardHeaderText(WizardStage stage, const std::wstring& displayName);

// Paints into rect of dc: white, icon 48 x 48 at (right - 70, 6), the title bold at (30, 10),
// the line at (55, 35), both in "宋体" of height 12.
void DrawStageHeader(HDC dc, const RECT& rect, HICON icon, const StageHeaderText& text);
