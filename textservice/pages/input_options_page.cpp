#include "textservice/pages/input_options_page.h"

#include <cwchar>
#include <string>

#include "core/base/boundary_guard.h"
#include "core/record/engine.h"
#include "engine/effective_settings.h"
#include "textservice/export/input_options.h"
#include "textservice/pages/page_host.h"
#include "textservice/pages/page_ids.h"

namespace {

constexpr int kPageSize = 600;
constexpr uint8_t kMaxLengthByte = 255;

// A check box and the bit it shows: on the ime block's features or options, or the dme
// block's input options.
enum class Word { kFeatures, kImeOptions, kInputOptions };
struct BitBox {
    int id;
    Word word;
    uint32_t bit;
};
const BitBox kBitBoxes[] = {
    {IDC_SAVE_START_STATE, Word::kFeatures, kFeatSaveStartState},
    {IDC_ASSOCIATION, Word::kImeOptions, kImeAssociation},
    {IDC_LONGER_ON_EMPTY, Word::kInputOptions, kInputLongerOnEmpty},
    {IDC_WILDCARD_SINGLE, Word::kInputOptions, kInputWildcardSingle},
};

// A radio pair over one start-state bit: the first button shows the bit as `firstSets`.
struct StartRadio {
    int first;
    int second;
    uint32_t bit;
    bool firstSets;
};
const StartRadio kStartRadios[] = {
    {IDC_START_CHINESE_PUNCT, IDC_START_ENGLISH_PUNCT, kStartStateChinesePunct, true},
    {IDC_START_FULL_WIDTH, IDC_START_HALF_WIDTH, kStartStateFullWidth, true},
    {IDC_START_OPEN, IDC_START_CLOSED, kStartStateClosed, false},
};

const wchar_t* const kFrequencyItems[] = {L"一次到顶", L"逐渐到顶", L"累加上屏数", L"禁止调整"};
const uint32_t kFrequencyBits[] = {kListFreqToTop, kListFreqGradual, kListFreqCount, 0};

uint32_t* WordOf(Engine* e, Word w) {
    switch (w) {
        case Word::kFeatures:
            return e->ime ? &e->ime->features : nullptr;
        case Word::kImeOptions:
            return e->ime ? &e->ime->options : nullptr;
        case Word::kInputOptions:
            return e->dme ? &e->dme->inputOptions : nullptr;
    }
    return nullptr;
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
void Check(HWND page, int id, bool on) { CheckDlgButton(page, id, on ? BST_CHECKED : 0); }

void ShowStartRadios(HWND page, Engine* e) {
    const bool custom = e->ime && (e->ime->features & kFeatCustomStartState);
    const uint32_t state = e->ime ? e->ime->startState : 0;
    for (const StartRadio& r : kStartRadios) {
        const bool set = (state & r.bit) != 0;
        Check(page, r.first, custom && set == r.firstSets);
        Check(page, r.second, custom && set != r.firstSets);
        EnableWindow(GetDlgItem(page, r.first), custom);
        EnableWindow(GetDlgItem(page, r.second), custom);
    }
}

bool DataFileExists(const Engine* e, const wchar_t* name) {
    const std::wstring path = std::wstring(e->dataLocation) + name;
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void ShowLength(HWND page, int id, uint8_t value) { SetDlgItemInt(page, id, value, FALSE); }

void InitPage(HWND page, Engine* e) {
    SetWindowPos(page, nullptr, 0, 0, kPageSize, kPageSize, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(page, SW_SHOW);
    if (e->ime) Check(page, IDC_CUSTOM_START_STATE, e->ime->features & kFeatCustomStartState);
    ShowStartRadios(page, e);
    for (const BitBox& b : kBitBoxes)
        if (const uint32_t* w = WordOf(e, b.word)) Check(page, b.id, *w & b.bit);
    ShowWindow(GetDlgItem(page, IDC_ASSOCIATION),
               DataFileExists(e, L"sysl.dmg") ? SW_SHOW : SW_HIDE);

    const HWND list = GetDlgItem(page, IDC_FREQUENCY);
    for (const wchar_t* item : kFrequencyItems)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    int selected = 3;
    const uint32_t lo = e->ime ? e->ime->listOptions : 0;
    for (int i = 0; i < 3; ++i)
        if (lo & kFrequencyBits[i]) {
            selected = i;
            break;
        }
    SendMessageW(list, CB_SETCURSEL, selected, 0);

    SendDlgItemMessageW(page, IDC_WILDCARD_CHAR, EM_LIMITTEXT, 1, 0);
    SendDlgItemMessageW(page, IDC_SHOW_NEXT_LENGTH, EM_LIMITTEXT, 3, 0);
    SendDlgItemMessageW(page, IDC_SHOW_WORDS_LENGTH, EM_LIMITTEXT, 3, 0);
    if (e->dme) {
        wchar_t wildcard[2] = {};
        if (e->dme->wildcardChar) wildcard[0] = OptionByteChar(e->dme->wildcardChar);
        SetDlgItemTextW(page, IDC_WILDCARD_CHAR, wildcard);
        ShowLength(page, IDC_SHOW_NEXT_LENGTH, e->dme->showNextLength);
        ShowLength(page, IDC_SHOW_WORDS_LENGTH, e->dme->showWordsLength);
    }
}

void OnCustomStartState(HWND page, Engine* e) {
    if (!e->ime) return;
    if (Checked(page, IDC_CUSTOM_START_STATE)) {
        e->ime->features |= kFeatCustomStartState;
        if (e->ime->startState == 0) e->ime->startState = kStartStateFollowSystem;
    } else {
        e->ime->features &= ~kFeatCustomStartState;
        e->ime->startState = 0;
    }
    ShowStartRadios(page, e);
}

bool OnRadio(Engine* e, int id) {
    for (const StartRadio& r : kStartRadios) {
        if (id != r.first && id != r.second) continue;
        if (!e->ime) return true;
        const bool set = (id == r.first) == r.firstSets;
        if (set)
            e->ime->startState |= r.bit;
        else
            e->ime->startState &= ~r.bit;
        return true;
    }
    return false;
}

bool OnBitBox(HWND page, Engine* e, int id) {
    for (const BitBox& b : kBitBoxes) {
        if (id != b.id) continue;
        if (uint32_t* w = WordOf(e, b.word)) *w = Checked(page, id) ? *w | b.bit : *w & ~b.bit;
        return true;
    }
    return false;
}

void OnFrequency(HWND page, Engine* e) {
    const LRESULT i = SendDlgItemMessageW(page, IDC_FREQUENCY, CB_GETCURSEL, 0, 0);
    if (!e->ime || i < 0 || i > 3) return;
    e->ime->listOptions = (e->ime->listOptions & ~kListFreqMask) | kFrequencyBits[i];
}

// A length field as a byte: digits only (the field takes three), held at 255.
uint8_t ReadLength(HWND page, int id) {
    BOOL ok = FALSE;
    const UINT n = GetDlgItemInt(page, id, &ok, FALSE);
    if (!ok) return 0;
    return static_cast<uint8_t>(n > kMaxLengthByte ? kMaxLengthByte : n);
}

// The edit fields are stored only on the apply request; a discarded page leaves them.
void StoreEdits(HWND page, Engine* e) {
    if (!e->dme) return;
    wchar_t wildcard[4] = {};
    GetDlgItemTextW(page, IDC_WILDCARD_CHAR, wildcard, 4);
    e->dme->wildcardChar = wildcard[0] ? OptionCharByte(wildcard[0]) : 0;
    e->dme->showNextLength = ReadLength(page, IDC_SHOW_NEXT_LENGTH);
    e->dme->showWordsLength = ReadLength(page, IDC_SHOW_WORDS_LENGTH);
}

INT_PTR OnCommand(HWND page, Engine* e, int id, int code) {
    if (id == IDOK) {
        StoreEdits(page, e);
        SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    if (code == CBN_SELCHANGE && id == IDC_FREQUENCY) {
        OnFrequency(page, e);
        return TRUE;
    }
    if (code != BN_CLICKED) return FALSE;
    if (id == IDC_CUSTOM_START_STATE) {
        OnCustomStartState(page, e);
        return TRUE;
    }
    return OnRadio(e, id) || OnBitBox(page, e, id);
}

}  // namespace

INT_PTR CALLBACK InputOptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    return Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        Engine* e = SettingsPageEngine();
        if (!e) return FALSE;
        switch (message) {
            case WM_INITDIALOG:
                InitPage(page, e);
                return TRUE;
            case WM_COMMAND:
                return OnCommand(page, e, LOWORD(wParam), HIWORD(wParam));
            default:
                return FALSE;
        }
    });
}
