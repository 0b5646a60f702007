// "嵌入显示模式设置": the composition window style of both front ends and the candidate window
// options that go with it; a change between the IME and a TSF style registers the input
// method again through the installer, started hidden.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "dialog/dialog.h"

struct Engine;

// The radio of the style bits of the ime block's options word.
int EmbeddingRadioOf(uint32_t options);
// The style of a radio put into options (the IME classic style clears all style bits).
uint32_t WithEmbeddingRadio(uint32_t options, int radio);
// Which check boxes a radio enables.
struct EmbeddingChecks {
    bool onlyWhenMany;
    bool hideFirst;
};
EmbeddingChecks EmbeddingChecksFor(int radio);
// The features word with the two check boxes stored.
uint32_t WithEmbeddingChecks(uint32_t features, bool onlyWhenMany, bool hideFirst);

// The installer's "/EMMODE=" value after a style change: 1 when a TSF style came in place of
// none, 0 for the reverse, -1 when the front-end class did not change.
int EmbeddingInstallerMode(uint32_t optionsBefore, uint32_t optionsAfter);
struct InstallerLaunch {
    std::wstring file;        // <install folder>\installer.exe
    std::wstring parameters;  // "/EMMODE=%d /GUID=%s"
};
// The hidden installer run for mode; false when the install folder is empty.
bool MakeInstallerLaunch(const wchar_t* installLocation, const wchar_t* guidText, int mode,
                         InstallerLaunch& out);

// Radio and check-box text of the IME classic style on this Windows version.
const wchar_t* ImeClassicRadioText(DWORD majorVersion, DWORD minorVersion);

class CKX_EMBEDSET final : public Dialog {
public:
    explicit CKX_EMBEDSET(Engine* engine);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

private:
    void EnableChecks(int radio);
    int CheckedRadio() const;

    Engine* engine_;
};
