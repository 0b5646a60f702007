#include "config/embedding_dialog.h"

#include "config/about_ids.h"
#include "config/config_dialogs.h"
#include "config/config_ids.h"
#include "core/base/registry.h"
#include "core/record/engine.h"
#include "dialog/control_text.h"
#include "dialog/ui_port.h"

namespace {

constexpr int kRadios[] = {IDC_EMBED_IME_CLASSIC, IDC_EMBED_CODE, IDC_EMBED_FIRST,
                           IDC_EMBED_TSF_CLASSIC};

INT_PTR RunEmbedding(const ConfigDialogRequest& request) {
    CKX_EMBEDSET dialog(request.engine);
    return dialog.RunModal(request.owner);
}

}  // namespace

ZAN_REGISTER_CONFIG_DIALOG(ConfigDialogKind::Embedding, RunEmbedding)

int EmbeddingRadioOf(uint32_t options) {
    if (options & kImeStyleTsfEmbedCode) return IDC_EMBED_CODE;
    if (options & kImeStyleTsfEmbedFirst) return IDC_EMBED_FIRST;
    if (options & kImeStyleTsfClassic) return IDC_EMBED_TSF_CLASSIC;
    return IDC_EMBED_IME_CLASSIC;
}

uint32_t WithEmbeddingRadio(uint32_t options, int radio) {
    options &= ~kImeStyleMask;
    switch (radio) {
        case IDC_EMBED_CODE:
            return options | kImeStyleTsfEmbedCode;
        case IDC_EMBED_FIRST:
            return options | kImeStyleTsfEmbedFirst;
        case IDC_EMBED_TSF_CLASSIC:
            return options | kImeStyleTsfClassic;
        default:
            return options;
    }
}

EmbeddingChecks EmbeddingChecksFor(int radio) {
    if (radio == IDC_EMBED_IME_CLASSIC) return {false, false};
    return {true, radio == IDC_EMBED_FIRST};
}

uint32_t WithEmbeddingChecks(uint32_t features, bool onlyWhenMany, bool hideFirst) {
    features &= ~(kFeatCandidateOnlyWhenMany | kFeatHideEmbeddedFirst);
    if (onlyWhenMany) features |= kFeatCandidateOnlyWhenMany;
    if (hideFirst) features |= kFeatHideEmbeddedFirst;
    return features;
}

int EmbeddingInstallerMode(uint32_t before, uint32_t after) {
    const bool was = (before & kImeStyleMask) != 0, is = (after & kImeStyleMask) != 0;
    if (was == is) return -1;
    return is ? 1 : 0;
}

bool MakeInstallerLaunch(const wchar_t* installLocation, const wchar_t* guidText, int mode,
                         InstallerLaunch& out) {
    out = {};
    if (!installLocation || !installLocation[0] || mode < 0) return false;
    out.file = installLocation;
    if (out.file.back() != L'\\') out.file += L'\\';
    out.file += L"installer.exe";
    out.parameters = L"/EMMODE=" + std::to_wstring(mode) + L" /GUID=" + (guidText ? guidText : L"");
    return true;
}

const wchar_t* ImeClassicRadioText(DWORD major, DWORD minor) {
    const bool later = major > 6 || (major == 6 && minor > 1);
    return later ? L"传统样式(&I)  ※不可用于Metro模式" : L"传统样式(&I)  ";
}

CKX_EMBEDSET::CKX_EMBEDSET(Engine* engine) : Dialog(IDD_EMBEDDING), engine_(engine) {}

void CKX_EMBEDSET::EnableChecks(int radio) {
    const EmbeddingChecks c = EmbeddingChecksFor(radio);
    EnableItem(hwnd(), IDC_EMBED_ONLY_WHEN_MANY, c.onlyWhenMany);
    EnableItem(hwnd(), IDC_EMBED_HIDE_FIRST, c.hideFirst);
}

int CKX_EMBEDSET::CheckedRadio() const {
    for (int id : kRadios)
        if (IsItemChecked(hwnd(), id)) return id;
    return IDC_EMBED_IME_CLASSIC;
}

bool CKX_EMBEDSET::OnInitDialog() {
    HWND h = hwnd();
    SetWindowIcons(h, nullptr, IDI_PROGRAM);
    const uint32_t options = engine_ && engine_->ime ? engine_->ime->options : 0;
    const uint32_t features = engine_ && engine_->ime ? engine_->ime->features : 0;
    if (engine_)
        SetItemText(h, IDC_EMBED_IME_CLASSIC,
                    ImeClassicRadioText(engine_->osVersion.dwMajorVersion,
                                        engine_->osVersion.dwMinorVersion));
    const int radio = EmbeddingRadioOf(options);
    CheckRadioButton(h, IDC_EMBED_IME_CLASSIC, IDC_EMBED_TSF_CLASSIC, radio);
    EnableChecks(radio);
    SetItemChecked(h, IDC_EMBED_ONLY_WHEN_MANY, features & kFeatCandidateOnlyWhenMany);
    SetItemChecked(h, IDC_EMBED_HIDE_FIRST, features & kFeatHideEmbeddedFirst);
    return true;
}

bool CKX_EMBEDSET::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return false;
    for (int radio : kRadios) {
        if (id == radio) {
            CheckRadioButton(hwnd(), IDC_EMBED_IME_CLASSIC, IDC_EMBED_TSF_CLASSIC, radio);
            EnableChecks(radio);
            return true;
        }
    }
    return false;
}

void CKX_EMBEDSET::OnOK() {
    HWND h = hwnd();
    if (engine_ && engine_->ime) {
        // Each word in one aligned store: readers see the old or the new value.
        engine_->ime->features =
            WithEmbeddingChecks(engine_->ime->features, IsItemChecked(h, IDC_EMBED_ONLY_WHEN_MANY),
                                IsItemChecked(h, IDC_EMBED_HIDE_FIRST));
        const uint32_t before = engine_->ime->options;
        const uint32_t after = WithEmbeddingRadio(before, CheckedRadio());
        engine_->ime->options = after;
        const int mode = EmbeddingInstallerMode(before, after);
        wchar_t folder[kPathChars];
        InstallerLaunch launch;
        if (mode >= 0 && ReadInstallLocation(engine_->guidText, folder) &&
            MakeInstallerLaunch(folder, engine_->guidText, mode, launch))
            Ui().ShellOpen(h, L"", launch.file.c_str(), launch.parameters.c_str(), L"", SW_HIDE);
    }
    End(IDOK);
}
