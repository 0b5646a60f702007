#include "installer/wizard/licence_dialog.h"

#include <string>

#include "dialog/control_text.h"
#include "dialog/dialog.h"
#include "installer/wizard/licence_page.h"
#include "installer/wizard/wizard_ids.h"

namespace {

class LicenceDialog final : public Dialog {
public:
    explicit LicenceDialog(InstallerState* state) : Dialog(IDD_INSTALL_LICENCE), state_(state) {}

protected:
    bool OnInitDialog() override {
        SetWindowIcons(hwnd(), nullptr, IDI_INSTALL);
        wchar_t name[kSoftShortUnits + 1];
        ReadFieldText(state_->soft.productName, name, kSoftShortUnits + 1);
        SetWindowTextW(hwnd(), (std::wstring(name) + L" - 最终用户许可协议").c_str());
        std::wstring text = ReadLicenceText(state_->unpackDir);
        if (text.empty()) text = L"无法显示许可协议：" + LicencePageAddress(state_->unpackDir);
        SetItemText(hwnd(), IDC_LICENCE_TEXT, text.c_str());
        // The text is read from the top, not selected.
        SendDlgItemMessageW(hwnd(), IDC_LICENCE_TEXT, EM_SETSEL, 0, 0);
        SetFocus(Item(IDOK));
        return false;
    }

private:
    InstallerState* state_;
};

}  // namespace

bool RunLicenceDialog(HWND owner, InstallerState* state) {
    LicenceDialog dialog(state);
    return dialog.RunModal(owner) == IDOK;
}
