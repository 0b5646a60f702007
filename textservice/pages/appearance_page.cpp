#include "textservice/pages/appearance_page.h"

#include <cwchar>
#include <memory>
#include <string>

#include "core/base/boundary_guard.h"
#include "core/record/engine.h"
#include "textservice/pages/font_faces.h"
#include "textservice/pages/page_host.h"
#include "textservice/pages/page_ids.h"
#include "textservice/pages/skin_preview.h"
#include "ui/skin/active_skin.h"
#include "ui/skin/skin_description.h"
#include "ui/skin/skin_loader.h"

namespace {

constexpr size_t kStoredSkinNameChars = 63;

const wchar_t* const kPlacementItems[] = {L"跟随光标", L"跟随状态栏", L"固定位置"};
const uint32_t kPlacementBits[] = {0, kImeCandidateFollowStatus, kImeCandidateFixed};
constexpr uint32_t kPlacementMask = kImeCandidateFollowStatus | kImeCandidateFixed;

const wchar_t* const kLayoutItems[] = {L"横排样式", L"竖排样式", L"左起纵向"};
const uint32_t kLayoutBits[] = {kSkinHorizontal, 0, kSkinVerticalLeft};
constexpr uint32_t kLayoutMask = kSkinHorizontal | kSkinVerticalLeft;

const int kFontSizes[] = {12, 14, 16, 18, 20, 24, 28, 32, 36, 40};

struct BitBox {
    int id;
    uint32_t bit;
};
const BitBox kBitBoxes[] = {
    {IDC_HIDE_CANDIDATES, kImeCandidateHidden},
    {IDC_HIDE_STATUS, kImeStatusHidden},
};

// The skins of the open page (one page at a time).
struct SkinLibraryDeleter {
    void operator()(SkinLibrary* library) const {
        ClearSkinLibrary(library);
        delete library;
    }
};
std::unique_ptr<SkinLibrary, SkinLibraryDeleter> g_skins;

LRESULT Send(HWND page, int id, UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendDlgItemMessageW(page, id, message, w, l);
}
void AddItem(HWND page, int id, const wchar_t* text) {
    Send(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}
int Selection(HWND page, int id) { return static_cast<int>(Send(page, id, CB_GETCURSEL)); }

int SelectedSkin(HWND page) {
    const int i = Selection(page, IDC_SKIN);
    return g_skins && i >= 0 && i < g_skins->count ? i : -1;
}

const wchar_t* PackageFileName(const SkinDescription& d) {
    const wchar_t* name = SkinFileName(d.path);
    return name ? name : d.path;
}

// The name a chosen skin is stored under: its file name; the built-in skin has none, and an
// empty name is what chooses it.
const wchar_t* StoredSkinName(const SkinDescription& d) {
    return std::wcscmp(d.path, kSkinFromResource) == 0 ? L"" : PackageFileName(d);
}

void StoreSkinName(SkinConfigData* skin, const wchar_t* name) {
    std::wstring n = name;
    if (n.size() > kStoredSkinNameChars) n.resize(kStoredSkinNameChars);
    std::wmemset(skin->skinName, 0, kSkinNameUnits);
    std::wmemset(skin->currentSkin, 0, kCurrentSkinUnits);
    std::wmemcpy(skin->skinName, n.data(), n.size());
    std::wmemcpy(skin->currentSkin, n.data(), n.size());
}

void SelectFace(HWND page, int id, const wchar_t* face) {
    const LRESULT i =
        Send(page, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(face));
    Send(page, id, CB_SETCURSEL, i == CB_ERR ? 0 : i);
}

void SelectSize(HWND page, int id, int32_t size) {
    int item = 0;
    for (int i = 0; i < 10; ++i)
        if (kFontSizes[i] == size) item = i;
    Send(page, id, CB_SETCURSEL, item);
}

// The font lists follow the settings' own fonts; where those are unset the skin's are shown.
void ShowFonts(HWND page, const SkinConfigData* skin, int selected) {
    const SkinTextStyle* text = selected >= 0 ? &g_skins->descriptions[selected].text : nullptr;
    const SkinFontStyle& candidate = skin->candidateFontStyle;
    const SkinFontStyle& code = skin->codeFontStyle;
    SelectFace(page, IDC_CANDIDATE_FACE,
               candidate.faceName[0] || !text ? candidate.faceName : text->candidateFontName);
    SelectFace(page, IDC_CODE_FACE, code.faceName[0] || !text ? code.faceName : text->codeFontName);
    SelectSize(page, IDC_CANDIDATE_SIZE,
               candidate.size || !text ? candidate.size : text->candidateFontSize);
    SelectSize(page, IDC_CODE_SIZE, code.size || !text ? code.size : text->codeFontSize);
    for (int id : {IDC_CANDIDATE_FACE, IDC_CODE_FACE, IDC_CANDIDATE_SIZE, IDC_CODE_SIZE})
        EnableWindow(GetDlgItem(page, id), selected >= 0);
}

void FillSkins(HWND page, Engine* e) {
    g_skins.reset(new SkinLibrary());
    LoadSkinLibrary(e, g_skins.get());
    int selected = -1;
    for (int i = 0; i < g_skins->count; ++i) {
        const SkinDescription& d = g_skins->descriptions[i];
        AddItem(page, IDC_SKIN, d.info.name[0] ? d.info.name : PackageFileName(d));
        if (selected < 0 && e->skin && std::wcscmp(PackageFileName(d), e->skin->skinName) == 0)
            selected = i;
    }
    if (selected < 0 && g_skins->count > 0) {
        selected = 0;
        if (e->skin) StoreSkinName(e->skin, StoredSkinName(g_skins->descriptions[0]));
    }
    Send(page, IDC_SKIN, CB_SETCURSEL, selected);
}

void InitPage(HWND page, Engine* e) {
    ShowWindow(page, SW_SHOW);
    const uint32_t options = e->ime ? e->ime->options : 0;
    for (const BitBox& b : kBitBoxes)
        CheckDlgButton(page, b.id, (options & b.bit) ? BST_CHECKED : 0);

    for (const wchar_t* item : kPlacementItems) AddItem(page, IDC_PLACEMENT, item);
    int placement = 0;
    for (int i = 1; i < 3; ++i)
        if (options & kPlacementBits[i]) placement = i;
    Send(page, IDC_PLACEMENT, CB_SETCURSEL, placement);

    for (int n = 1; n <= 10; ++n) AddItem(page, IDC_PAGE_SIZE, std::to_wstring(n).c_str());
    const uint32_t pageSize = e->ime ? e->ime->listOptions >> kListPageShift : 0;
    Send(page, IDC_PAGE_SIZE, CB_SETCURSEL,
         pageSize >= 1 && pageSize <= 10 ? pageSize - 1 : kDefaultPageSize - 1);

    for (const wchar_t* item : kLayoutItems) AddItem(page, IDC_LAYOUT, item);
    const uint32_t skinOptions = e->skin ? e->skin->options : 0;
    Send(page, IDC_LAYOUT, CB_SETCURSEL,
         (skinOptions & kSkinHorizontal)     ? 0
         : (skinOptions & kSkinVerticalLeft) ? 2
                                             : 1);

    for (const std::wstring& face : DisplayFontFaces()) {
        AddItem(page, IDC_CANDIDATE_FACE, face.c_str());
        AddItem(page, IDC_CODE_FACE, face.c_str());
    }
    for (int size : kFontSizes) {
        const std::wstring text = std::to_wstring(size) + L" px";
        AddItem(page, IDC_CANDIDATE_SIZE, text.c_str());
        AddItem(page, IDC_CODE_SIZE, text.c_str());
    }
    FillSkins(page, e);
    if (e->skin) ShowFonts(page, e->skin, SelectedSkin(page));
    InvalidateRect(GetDlgItem(page, IDC_PREVIEW), nullptr, TRUE);
}

void StoreFace(HWND page, int id, wchar_t* face) {
    const int i = Selection(page, id);
    if (i < 0) return;
    const LRESULT n = Send(page, id, CB_GETLBTEXTLEN, i);
    if (n < 0) return;
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    Send(page, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    if (text.size() >= kSkinFaceUnits) text.resize(kSkinFaceUnits - 1);
    std::wmemset(face, 0, kSkinFaceUnits);
    std::wmemcpy(face, text.data(), text.size());
}

bool OnSelection(HWND page, Engine* e, int id) {
    const int i = Selection(page, id);
    if (i < 0) return true;
    switch (id) {
        case IDC_PLACEMENT:
            if (e->ime && i < 3)
                e->ime->options = (e->ime->options & ~kPlacementMask) | kPlacementBits[i];
            return true;
        case IDC_PAGE_SIZE:
            if (e->ime && i < 10)
                e->ime->listOptions = (e->ime->listOptions & ~kListPageMask) |
                                      static_cast<uint32_t>(i + 1) << kListPageShift;
            return true;
        case IDC_LAYOUT:
            if (e->skin && i < 3)
                e->skin->options = (e->skin->options & ~kLayoutMask) | kLayoutBits[i];
            InvalidateRect(GetDlgItem(page, IDC_PREVIEW), nullptr, TRUE);
            return true;
        case IDC_SKIN:
            if (e->skin && SelectedSkin(page) >= 0) {
                StoreSkinName(e->skin, StoredSkinName(g_skins->descriptions[i]));
                ShowFonts(page, e->skin, i);
            }
            InvalidateRect(GetDlgItem(page, IDC_PREVIEW), nullptr, TRUE);
            return true;
        case IDC_CANDIDATE_FACE:
            if (e->skin) StoreFace(page, id, e->skin->candidateFontStyle.faceName);
            return true;
        case IDC_CODE_FACE:
            if (e->skin) StoreFace(page, id, e->skin->codeFontStyle.faceName);
            return true;
        case IDC_CANDIDATE_SIZE:
            if (e->skin && i < 10) e->skin->candidateFontStyle.size = kFontSizes[i];
            return true;
        case IDC_CODE_SIZE:
            if (e->skin && i < 10) e->skin->codeFontStyle.size = kFontSizes[i];
            return true;
        default:
            return false;
    }
}

INT_PTR OnCommand(HWND page, Engine* e, int id, int code) {
    if (id == IDOK) {
        SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    if (code == CBN_SELCHANGE) return OnSelection(page, e, id);
    if (code != BN_CLICKED || !e->ime) return FALSE;
    for (const BitBox& b : kBitBoxes)
        if (b.id == id) {
            const bool on = IsDlgButtonChecked(page, id) == BST_CHECKED;
            e->ime->options = on ? e->ime->options | b.bit : e->ime->options & ~b.bit;
            return TRUE;
        }
    return FALSE;
}

void DrawPreview(HWND page, Engine* e, const DRAWITEMSTRUCT* item) {
    const int selected = SelectedSkin(page);
    const SkinImage* picture = nullptr;
    if (selected >= 0) {
        const bool horizontal = e->skin && (e->skin->options & kSkinHorizontal);
        picture = g_skins->imageSets[selected].images[horizontal ? kSlotMergedH : kSlotMergedV];
    }
    const int width = item->rcItem.right - item->rcItem.left;
    const int height = item->rcItem.bottom - item->rcItem.top;
    const std::vector<uint32_t> pixels = PaintSkinPreview(picture, width, height);
    if (pixels.empty()) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(item->hDC, item->rcItem.left, item->rcItem.top, width, height, 0, 0, 0,
                      height, pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace

INT_PTR CALLBACK AppearancePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        Engine* e = SettingsPageEngine();
        if (message == WM_DESTROY) {
            g_skins.reset();
            return FALSE;
        }
        if (!e) return FALSE;
        switch (message) {
            case WM_INITDIALOG:
                InitPage(page, e);
                return TRUE;
            case WM_COMMAND:
                return OnCommand(page, e, LOWORD(wParam), HIWORD(wParam));
            case WM_DRAWITEM:
                if (wParam != IDC_PREVIEW) return FALSE;
                DrawPreview(page, e, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            default:
                return FALSE;
        }
    });
}
